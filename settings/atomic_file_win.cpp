#include "settings/atomic_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/wide_path_win.h"

const char kPathSeparator = '\\';

namespace {

// The directory part of path, with its trailing backslash; "" for a bare name.
std::wstring DirectoryOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// An antivirus scanner, the search indexer or a sync client may hold the old
// file for a moment; the replace is tried again for about half a second.
bool ReplaceWithRetries(const std::wstring& temp, const std::wstring& path) {
  constexpr int kTries = 10;
  constexpr DWORD kPause = 50;
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    const bool transient = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                           error == ERROR_ACCESS_DENIED;
    if (!transient || attempt == kTries) return false;
    Sleep(kPause);
  }
}

// The file a path names once links and junctions are followed, so that the
// write replaces the file a link points at and the link stays; the path
// itself where there is nothing to follow (or the file does not exist yet).
std::wstring FinalPath(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  wchar_t buffer[32768];
  const DWORD n = GetFinalPathNameByHandleW(file, buffer, 32768, FILE_NAME_NORMALIZED);
  CloseHandle(file);
  if (n == 0 || n >= 32768) return path;
  std::wstring resolved(buffer, n);
  // The answer comes in the \\?\ form; the plain one is what every call takes.
  if (resolved.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + resolved.substr(8);
  if (resolved.compare(0, 4, L"\\\\?\\") == 0) return resolved.substr(4);
  return resolved;
}

}  // namespace

std::wstring WidePath(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

std::string Utf8Path(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], n, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(n - 1));
  return utf8;
}

bool WriteFileAtomically(const char* utf8_path, std::string_view bytes) {
  const std::wstring named = WidePath(utf8_path);
  if (named.empty()) return false;
  const std::wstring path = FinalPath(named);
  // Windows refuses to rename over a read-only file, Wine does not: the user's
  // read-only mark is honoured here so that both keep the old file.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;

  const std::wstring dir = DirectoryOf(path);
  wchar_t temp[MAX_PATH + 16];
  if (!GetTempFileNameW(dir.empty() ? L"." : dir.c_str(), L"krm", 0, temp)) return false;

  HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileW(temp);
    return false;
  }
  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;

  // A rename within one directory replaces the old file in one step. It fails
  // on a read-only or locked file, which then stays as it was. (ReplaceFile
  // would keep the old file's ACL, but leaves a backup of its own behind
  // when it fails under Wine.)
  ok = ok && ReplaceWithRetries(temp, path);
  if (!ok) DeleteFileW(temp);
  return ok;
}

// GetTempFileName's krmXXXX.tmp beside the file, left by a program killed
// while it wrote.
void RemoveStaleTemporaries(const char* utf8_path) {
  const std::wstring named = WidePath(utf8_path);
  if (named.empty()) return;
  const std::wstring dir = DirectoryOf(FinalPath(named));
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"krm*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((dir + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

namespace {

// Only a file on disk opens: a directory, a pipe or a device reads as missing.
// Others may rename or delete the file meanwhile, as an editor's save does.
std::FILE* OpenDiskFileForReading(const std::wstring& path) {
  if (path.empty()) return nullptr;
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(handle);
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "rb");
  if (!file) _close(fd);
  return file;
}

}  // namespace

std::FILE* OpenFileForReading(const char* path) { return OpenDiskFileForReading(WidePath(path)); }

std::FILE* OpenNativePathForReading(const char* path) {
  const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (n <= 1) return nullptr;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return OpenDiskFileForReading(wide);
}

bool CreateFileIfMissing(const char* path) {
  const std::wstring wide = WidePath(path);
  if (wide.empty()) return false;
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) return CloseHandle(file) != FALSE;
  return GetLastError() == ERROR_FILE_EXISTS;
}
