// Random-access reading of a file or of a block in memory, for the file readers. Reads never
// go past the end; they report how many bytes they delivered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace tonavise {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Copies up to n bytes from offset into dst; returns the count copied.
    virtual std::size_t ReadAt(uint64_t offset, void* dst, std::size_t n) = 0;
};

class FileByteSource final : public ByteSource {
  public:
    // Opens path for reading; Ok() tells whether that worked.
    explicit FileByteSource(const std::string& path);
    bool Ok() const { return file_ != nullptr; }
    uint64_t Size() const override { return size_; }
    std::size_t ReadAt(uint64_t offset, void* dst, std::size_t n) override;

  private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    uint64_t size_ = 0;
};

class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(uint64_t offset, void* dst, std::size_t n) override;

  private:
    std::span<const uint8_t> bytes_;
};

}  // namespace tonavise
