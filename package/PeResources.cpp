#include "package/PeResources.h"

#include <algorithm>

#include "package/PeRewritePlan.h"

namespace pe {

namespace {

// Passes every byte on and adds it to the image checksum as it goes.
class ChecksumSink : public ByteSink {
public:
    explicit ChecksumSink(ByteSink& out) : out_(out) {}
    bool append(std::span<const std::uint8_t> bytes) override {
        for (std::uint8_t b : bytes) {
            if (low_ < 0) {
                low_ = b;
                continue;
            }
            sum_ += std::uint64_t(low_) | std::uint64_t(b) << 8;
            sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
            low_ = -1;
        }
        length_ += bytes.size();
        return out_.append(bytes);
    }
    bool patch(std::uint64_t at, std::span<const std::uint8_t> bytes) override {
        return out_.patch(at, bytes);
    }
    std::uint64_t size() const override { return out_.size(); }
    std::uint32_t checksum() const {
        std::uint64_t sum = sum_;
        if (low_ >= 0) {
            sum += std::uint64_t(low_);
            sum = (sum & 0xFFFF) + (sum >> 16);
        }
        sum = (sum & 0xFFFF) + (sum >> 16);
        return std::uint32_t(sum) + std::uint32_t(length_);
    }

private:
    ByteSink& out_;
    std::uint64_t sum_ = 0, length_ = 0;
    int low_ = -1;  // a byte waiting for its partner
};

bool appendZeros(ByteSink& out, std::uint64_t count) {
    static const std::uint8_t zeros[4096] = {};
    while (count > 0) {
        std::size_t n = std::size_t(std::min<std::uint64_t>(count, sizeof zeros));
        if (!out.append({zeros, n})) return false;
        count -= n;
    }
    return true;
}

// The external resources' data after what is held in memory, each 8-byte aligned.
bool appendExternal(ByteSink& out, const ResourceSection& section, std::string& reason) {
    std::uint64_t at = section.bytes.size();
    for (const Resource* r : section.external) {
        std::uint64_t before = out.size();
        if (!r->external(out) || out.size() - before != r->externalSize) {
            reason = "the data of resource " + describeId(r->type) + " " + describeId(r->name) +
                     " could not be read whole";
            return false;
        }
        at += r->externalSize;
        std::uint64_t aligned = alignUp(at, 8);
        if (!appendZeros(out, aligned - at)) return false;
        at = aligned;
    }
    return true;
}

}  // namespace

bool readResources(std::span<const std::uint8_t> file, std::vector<Resource>& resources,
                   std::string& reason, bool copyData) {
    resources.clear();
    Layout layout;
    return readLayout(file, layout, reason) &&
           readResourceTree(file, layout, resources, reason, copyData);
}

bool rewriteResources(std::span<const std::uint8_t> file, const std::vector<Resource>& resources,
                      std::vector<std::uint8_t>& out, std::string& reason) {
    VectorSink sink(out);
    if (rewriteResources(file, resources, sink, reason)) return true;
    out.clear();
    return false;
}

bool rewriteResources(std::span<const std::uint8_t> file, const std::vector<Resource>& resources,
                      ByteSink& out, std::string& reason) {
    Layout layout;
    RewritePlan plan;
    if (!readLayout(file, layout, reason) || !planRewrite(file, resources, layout, plan, reason)) {
        return false;
    }
    const Section& r = layout.sections[plan.index];
    std::vector<std::uint8_t> head(file.begin(), file.begin() + r.rawOffset);
    patchHeaders(head, layout, plan);
    ChecksumSink sink(out);
    std::uint64_t start = out.size();
    bool ok = sink.append(head) && sink.append(plan.section.bytes) &&
              appendExternal(sink, plan.section, reason) &&
              appendZeros(sink, plan.rawSize - plan.section.size);
    if (ok && plan.cut > plan.oldRawEnd) {
        ok = sink.append(
            file.subspan(std::size_t(plan.oldRawEnd), std::size_t(plan.cut - plan.oldRawEnd)));
    }
    std::uint8_t checksum[4];
    std::uint32_t value = sink.checksum();
    for (int i = 0; i < 4; ++i) checksum[i] = std::uint8_t(value >> (8 * i));
    ok = ok && out.patch(start + layout.optionalOffset + kCheckSumField, checksum);
    if (!ok && reason.empty()) reason = "the image could not be written";
    return ok;
}

void setResource(std::vector<Resource>& resources, const ResourceId& type, const ResourceId& name,
                 std::vector<std::uint8_t> data) {
    Resource replacement;
    replacement.type = type;
    replacement.name = name;
    auto first = std::find_if(resources.begin(), resources.end(), [&](const Resource& r) {
        return sameId(r.type, type) && sameId(r.name, name);
    });
    if (first != resources.end()) {
        replacement.language = first->language;
        replacement.codePage = first->codePage;
    }
    std::erase_if(resources,
                  [&](const Resource& r) { return sameId(r.type, type) && sameId(r.name, name); });
    replacement.data = std::move(data);
    resources.push_back(std::move(replacement));
}

}  // namespace pe
