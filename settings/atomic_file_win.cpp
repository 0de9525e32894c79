#include "settings/atomic_file.h"

#include <windows.h>

#include <string>

namespace {

// The directory part of path, with its trailing backslash; "" for a bare name.
std::string DirectoryOf(const char* path) {
  std::string p(path);
  const size_t slash = p.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
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

}  // namespace

bool WriteFileAtomically(const char* path, std::string_view bytes) {
  // Windows refuses to rename over a read-only file, Wine does not: the user's
  // read-only mark is honoured here so that both keep the old file.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;

  std::string dir = DirectoryOf(path);
  char temp[MAX_PATH + 16];
  if (!GetTempFileNameA(dir.empty() ? "." : dir.c_str(), "krm", 0, temp)) return false;

  HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(temp);
    return false;
  }
  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;

  // A rename within one directory replaces the old file in one step. It fails
  // on a read-only or locked file, which then stays as it was. (ReplaceFile
  // would keep the old file's ACL, but leaves a backup of its own behind
  // when it fails under Wine.)
  ok = ok && MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(temp);
  return ok;
}
