#include "platform/fake/RecordingDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {

std::string hex(std::uint32_t argb) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", unsigned(argb));
    return buf;
}

std::string num(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(v));
    return buf;
}

std::string rect(const platform::Rect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

std::string rect(const platform::RectF& r) {
    return num(r.x) + "," + num(r.y) + " " + num(r.width) + "x" + num(r.height);
}

const char* align(platform::Align a) {
    switch (a) {
        case platform::Align::Centre:
            return "centre";
        case platform::Align::Far:
            return "far";
        case platform::Align::Near:
            break;
    }
    return "near";
}

const char* surface(platform::Surface s) {
    return s == platform::Surface::Canvas ? "canvas" : "background";
}

std::string font(const platform::TextFont& f) {
    return num(f.size) + (f.bold ? "b" : "");
}

std::string brush(const platform::Brush& b) {
    if (!b.gradient) return hex(b.colours[0]);
    std::string s = "gradient(" + rect(b.area);
    for (int i = 0; i < 4; ++i) s += " " + hex(b.colours[i]) + "@" + num(b.positions[i]);
    return s + ")";
}

std::string quoted(const std::u16string& text) {
    return "'" + utf16ToUtf8(text) + "'";
}

class RecordingPainter : public platform::Painter {
public:
    explicit RecordingPainter(RecordingDrawing& owner) : owner_(owner) {}
    ~RecordingPainter() override { add(DrawOp::EndPaint); }

    void fillRect(const platform::Rect& r, std::uint32_t argb) override {
        add(DrawOp::Fill).rect = r;
        owner_.ops.back().colour = argb;
    }
    void frameRect(const platform::Rect& r, std::uint32_t argb) override {
        add(DrawOp::Frame).rect = r;
        owner_.ops.back().colour = argb;
    }
    void line(int x1, int y1, int x2, int y2, std::uint32_t argb) override {
        DrawOp& op = add(DrawOp::Line);
        op.rect = {x1, y1, x2, y2};
        op.colour = argb;
    }
    void picture(platform::Picture& p, const platform::Rect& dest, float opacity) override {
        DrawOp& op = add(DrawOp::Picture);
        op.picture = &p;
        op.rect = dest;
        op.opacity = opacity;
    }
    void text(std::u16string_view text, const platform::TextFont& f, const platform::RectF& layout,
              const platform::TextFormat& format, const platform::Brush& b) override {
        DrawOp& op = add(DrawOp::Text);
        op.text = std::u16string(text);
        op.font = f;
        op.layout = layout;
        op.format = format;
        op.brush = b;
    }
    void clip(const platform::Rect& r) override { add(DrawOp::Clip).rect = r; }

private:
    DrawOp& add(DrawOp::Kind kind) {
        owner_.ops.push_back(DrawOp{});
        owner_.ops.back().kind = kind;
        return owner_.ops.back();
    }

    RecordingDrawing& owner_;
};

}  // namespace

std::string DrawOp::str() const {
    switch (kind) {
        case Open:
            return "open " + std::to_string(rect.width) + "x" + std::to_string(rect.height);
        case Close:
            return "close";
        case Paint:
            return std::string("paint ") + fake::surface(surface);
        case EndPaint:
            return "end";
        case Fill:
            return "fill " + fake::rect(rect) + " " + hex(colour);
        case Frame:
            return "frame " + fake::rect(rect) + " " + hex(colour);
        case Line:
            return "line " + std::to_string(rect.x) + "," + std::to_string(rect.y) + "-" +
                   std::to_string(rect.width) + "," + std::to_string(rect.height) + " " +
                   hex(colour);
        case Picture:
            return "picture " + fake::rect(rect) + " " + num(opacity);
        case Text:
            return "text " + quoted(text) + " " + fake::font(font) + " (" + fake::rect(layout) +
                   ") " + align(format.horizontal) + "/" + align(format.vertical) + " " +
                   fake::brush(brush);
        case Clip:
            return "clip " + fake::rect(rect);
        case Copy:
            return std::string("copy ") + fake::surface(surface) + ">" + fake::surface(target) +
                   " " + fake::rect(rect);
        case Push:
            return "push " + fake::rect(rect) + " alpha " + std::to_string(colour);
        case Measure:
            return "measure " + quoted(text) + " " + num(font.size) + " w" +
                   std::to_string(rect.width);
        case PathWidth:
            return "pathwidth " + quoted(text) + " " + fake::font(font);
    }
    return "?";
}

bool RecordingDrawing::openSurfaces(void* window, int width, int height) {
    DrawOp op;
    op.kind = DrawOp::Open;
    op.window = window;
    op.rect = {0, 0, width, height};
    ops.push_back(op);
    if (faults().shouldFail("drawing.openSurfaces")) return false;
    open = true;
    return true;
}

void RecordingDrawing::closeSurfaces() {
    DrawOp op;
    op.kind = DrawOp::Close;
    ops.push_back(op);
    open = false;
}

std::unique_ptr<platform::Painter> RecordingDrawing::paint(platform::Surface target) {
    DrawOp op;
    op.kind = DrawOp::Paint;
    op.surface = target;
    ops.push_back(op);
    return std::make_unique<RecordingPainter>(*this);
}

void RecordingDrawing::copyRect(platform::Surface from, platform::Surface to,
                                const platform::Rect& r) {
    DrawOp op;
    op.kind = DrawOp::Copy;
    op.surface = from;
    op.target = to;
    op.rect = r;
    ops.push_back(op);
}

void RecordingDrawing::push(void* window, int x, int y, int width, int height, std::uint8_t alpha) {
    DrawOp op;
    op.kind = DrawOp::Push;
    op.window = window;
    op.rect = {x, y, width, height};
    op.colour = alpha;
    ops.push_back(op);
}

int RecordingDrawing::lineHeight(float size) {
    return int(size * 1.25f + 0.5f);
}

platform::Size RecordingDrawing::metrics(std::u16string_view text, float size, int layoutWidth) {
    if (text.empty()) return {};
    float charWidth = size / 2;
    std::size_t perLine = SIZE_MAX;
    if (layoutWidth > 0) perLine = std::max<std::size_t>(1, std::size_t(layoutWidth / charWidth));
    std::size_t lines = 0, widest = 0, run = 0;
    auto endLine = [&] {
        lines += run == 0 ? 1 : (run + perLine - 1) / perLine;
        widest = std::max(widest, std::min(run, perLine));
        run = 0;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            endLine();
        } else if (text[i] != u'\r') {
            ++run;
        }
    }
    // A final line feed closes the last line without opening another.
    if (text.back() != u'\n') endLine();
    return {int(std::ceil(float(widest) * charWidth)), int(lines) * lineHeight(size)};
}

platform::Size RecordingDrawing::measureText(std::u16string_view text, float size,
                                             int layoutWidth) {
    DrawOp op;
    op.kind = DrawOp::Measure;
    op.text = std::u16string(text);
    op.font.size = size;
    op.rect.width = layoutWidth;
    ops.push_back(op);
    return metrics(text, size, layoutWidth);
}

float RecordingDrawing::pathTextWidth(std::u16string_view text, const platform::TextFont& f) {
    DrawOp op;
    op.kind = DrawOp::PathWidth;
    op.text = std::u16string(text);
    op.font = f;
    ops.push_back(op);
    // In fifths, so that whole widths come out exact.
    return float(text.size()) * f.size * (f.bold ? 3.0f : 2.75f) / 5.0f;
}

std::vector<std::string> RecordingDrawing::lines(std::initializer_list<DrawOp::Kind> kinds) const {
    std::vector<std::string> out;
    for (const DrawOp& op : ops) {
        if (std::find(kinds.begin(), kinds.end(), op.kind) != kinds.end()) out.push_back(op.str());
    }
    return out;
}

std::vector<std::string> RecordingDrawing::lines() const {
    std::vector<std::string> out;
    for (const DrawOp& op : ops) out.push_back(op.str());
    return out;
}

int RecordingDrawing::count(DrawOp::Kind kind) const {
    return int(
        std::count_if(ops.begin(), ops.end(), [&](const DrawOp& op) { return op.kind == kind; }));
}

}  // namespace fake
