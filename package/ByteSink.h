// Where a package or an executable goes as it is written: appended piece by piece, with a few
// bytes set afterwards where a size or a checksum is known only at the end. Writing straight
// to a file keeps a payload of any size out of memory.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False once anything could not be written; the sink then takes nothing more.
    virtual bool append(std::span<const std::uint8_t> bytes) = 0;
    // Overwrites bytes already appended, `at` counted from the first byte appended.
    virtual bool patch(std::uint64_t at, std::span<const std::uint8_t> bytes) = 0;
    // Bytes appended so far.
    virtual std::uint64_t size() const = 0;
};

// Into a vector (replaced from the start).
class VectorSink : public ByteSink {
public:
    explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) { out_.clear(); }
    bool append(std::span<const std::uint8_t> bytes) override {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return true;
    }
    bool patch(std::uint64_t at, std::span<const std::uint8_t> bytes) override {
        if (at > out_.size() || out_.size() - at < bytes.size()) return false;
        std::copy(bytes.begin(), bytes.end(), out_.begin() + std::ptrdiff_t(at));
        return true;
    }
    std::uint64_t size() const override { return out_.size(); }

private:
    std::vector<std::uint8_t>& out_;
};
