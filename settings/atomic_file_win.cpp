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

  if (ok) {
    // ReplaceFile keeps the old file's identity (attributes, ACL); it needs an old file.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
      ok = ReplaceFileA(path, temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    else
      ok = MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  if (!ok) DeleteFileA(temp);
  return ok;
}
