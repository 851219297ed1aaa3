#include "tools/quillon_check/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillon_check {

namespace {

std::string Cannot_Open(int error) {
  return error == ENOENT ? std::string("no such file")
                         : "the file cannot be opened (" + std::string(std::strerror(error)) + ")";
}

}  // namespace

FileBytes::~FileBytes() {
#if defined(_WIN32)
  if (mapping_ != nullptr) UnmapViewOfFile(mapping_);
#else
  if (mapping_ != nullptr) munmap(mapping_, size_);
#endif
}

bool FileBytes::Open(const std::string& path, std::string* reason) {
#if defined(_WIN32)
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) <= SIZE_MAX) {
      const HANDLE section = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
      if (section != nullptr) {
        mapping_ = MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0);
        CloseHandle(section);
      }
      if (mapping_ != nullptr) size_ = static_cast<std::size_t>(size.QuadPart);
    }
    CloseHandle(file);
  }
#else
  const int file = open(path.c_str(), O_RDONLY);
  if (file < 0) {
    *reason = Cannot_Open(errno);
    return false;
  }
  struct stat status;
  if (fstat(file, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
      static_cast<unsigned long long>(status.st_size) <= SIZE_MAX) {
    const auto size = static_cast<std::size_t>(status.st_size);
    void* at = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file, 0);
    if (at != MAP_FAILED) {
      mapping_ = at;
      size_ = size;
    }
  }
  close(file);
#endif
  if (mapping_ != nullptr) {
    data_ = static_cast<const std::uint8_t*>(mapping_);
    return true;
  }
  // Empty files, and whatever the system would not map, are read.
  return Read(path, reason);
}

bool FileBytes::Read(const std::string& path, std::string* reason) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *reason = Cannot_Open(errno);
    return false;
  }
  bool failed = false;
  int error = 0;
  try {
    constexpr std::size_t Chunk = std::size_t{1} << 20;
    for (;;) {
      const std::size_t had = buffer_.size();
      buffer_.resize(had + Chunk);
      const std::size_t got = std::fread(buffer_.data() + had, 1, Chunk, file);
      buffer_.resize(had + got);
      if (got < Chunk) {
        failed = std::ferror(file) != 0;
        error = errno;
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    failed = true;
    error = ENOMEM;
  } catch (const std::length_error&) {
    failed = true;
    error = ENOMEM;
  }
  std::fclose(file);
  if (failed) {
    *reason = "the file cannot be read (" + std::string(std::strerror(error)) + ")";
    buffer_.clear();
    return false;
  }
  data_ = buffer_.data();
  size_ = buffer_.size();
  return true;
}

}  // namespace quillon_check
