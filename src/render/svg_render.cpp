// SVG output of the paint pass, so that a layout can be looked at without a Windows machine.
#include "render/svg_render.h"

#include "layout/u16text.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "render/hover_ring.h"
#include "render/paint_geometry.h"
#include "render/palette.h"
#include "render/scan_marks.h"
#include "layout/keytable.h"
#include "render/geometry.h"

namespace {

// The cell top of GDI text is its anchor; an SVG baseline sits about this far below it (the
// ascent of a Gothic face as a share of its cell height).
constexpr double TEXT_ASCENT = 0.86;
// The desktop around the panel in a picture of the whole screen.
constexpr ColorRef DESKTOP_COLOR = 0xA56E3A;

struct Writer {
    std::string out;

    void text(const char* s) { out += s; }
    void number(int64_t value) { out += std::to_string(value); }
    void decimal(double value)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.2f", value);
        out += buffer;
    }
    void color(ColorRef value)
    {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", static_cast<unsigned>(value & 0xFF),
                      static_cast<unsigned>((value >> 8) & 0xFF), static_cast<unsigned>((value >> 16) & 0xFF));
        out += buffer;
    }
    void codePoint(char32_t c) { appendUtf8(out, c); }
    // Label units as XML character data. Units XML cannot carry (control characters, halves of a
    // surrogate pair cut apart) become U+FFFD, so the file stays well-formed whatever the keymap held.
    void label(const char16_t* units, int count)
    {
        int length = 1;
        for (int i = 0; i < count; i += length) {
            char32_t c = decodeUtf16(&units[i], static_cast<size_t>(count - i), &length);
            if ((c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF)
                c = 0xFFFD;
            switch (c) {
            case '&': text("&amp;"); break;
            case '<': text("&lt;"); break;
            case '>': text("&gt;"); break;
            case '\t': text("&#9;"); break;
            case '\n': text("&#10;"); break;
            case '\r': text("&#13;"); break;
            default: codePoint(c < 0x20 ? char32_t{0xFFFD} : c); break;
            }
        }
    }
    // GDI draws a one-pixel outline through the pixels its integer vertices name; half a pixel
    // on, an SVG stroke of width 1 covers the same pixels.
    template <int N>
    void points(const Point (&vertices)[N])
    {
        text(" points=\"");
        for (int i = 0; i < N; ++i) {
            if (i)
                text(" ");
            decimal(vertices[i].x + 0.5);
            text(",");
            decimal(vertices[i].y + 0.5);
        }
        text("\"");
    }
};

ColorRef fillColor(KeyFill fill, const PaletteColors& colors)
{
    switch (fill) {
    case KeyFill::Down: return colors.downColor;
    case KeyFill::Locked: return colors.lockedColor;
    default: return colors.faceColor;
    }
}

void writeLegends(Writer& w, const KeyRecord& key, const KeyPaint& paint, const PaletteColors& colors, bool highlighted)
{
    for (int i = 0; i < paint.labelCount; ++i) {
        const LabelPaint& label = paint.labels[i];
        const int size = labelFontHeight(label.largeFont, panelScale);
        w.text("<text x=\"");
        w.number(label.origin.x);
        w.text("\" y=\"");
        w.decimal(label.origin.y + size * TEXT_ASCENT);
        w.text("\" font-size=\"");
        w.number(size);
        w.text("\" fill=\"");
        w.color(highlighted ? colors.faceColor : label.fnColor ? colors.fnLabelColor : colors.textColor);
        w.text("\"");
        if (key.angle != 0) {
            // Counter-clockwise on the screen is a negative SVG rotation, about the text's anchor.
            w.text(" transform=\"rotate(");
            w.decimal(-key.angle / 10.0);
            w.text(" ");
            w.number(label.origin.x);
            w.text(" ");
            w.number(label.origin.y);
            w.text(")\"");
        }
        w.text(">");
        w.label(label.text, label.units);
        w.text("</text>\n");
    }
}

// Two clips of a highlighted key: within its bounds, and everything beyond them.
void writeBoundsClip(Writer& w, int index, const Rect& bounds)
{
    const auto rectangle = [&w, &bounds] {
        w.text("M");
        w.number(bounds.left);
        w.text(",");
        w.number(bounds.top);
        w.text("H");
        w.number(bounds.right);
        w.text("V");
        w.number(bounds.bottom);
        w.text("H");
        w.number(bounds.left);
        w.text("Z");
    };
    w.text("<clipPath id=\"scan-within-");
    w.number(index);
    w.text("\"><path d=\"");
    rectangle();
    w.text("\"/></clipPath>\n<clipPath id=\"scan-beyond-");
    w.number(index);
    w.text("\"><path clip-rule=\"evenodd\" d=\"M-100000,-100000H100000V100000H-100000Z");
    rectangle();
    w.text("\"/></clipPath>\n");
}

// The end of a shape drawn as a line alone: no fill, a stroke of that colour and width.
void writeStroke(Writer& w, ColorRef color, int32_t width)
{
    w.text(" fill=\"none\" stroke=\"");
    w.color(color);
    w.text("\" stroke-width=\"");
    w.number(width);
    w.text("\"/>\n");
}

void writeScanFrame(Writer& w, const KeyRecord& key, const KeyPaint& paint, const PaletteColors& colors)
{
    const ScanFrame frame = computeScanFrame(key, paint);
    if (!frame.drawn)
        return;
    w.text("<polygon class=\"scan-frame\"");
    w.points(frame.quad.corner);
    writeStroke(w, colors.faceColor, frame.penWidth);
}

void writeKey(Writer& w, int index, const KeyRecord& key, const PaletteColors& colors)
{
    const KeyPaint paint = computeKeyPaint(key, fittedKeyQuad(index));
    const ScanMark mark = scanMarks[index];
    const bool highlighted = mark != ScanMark::None;
    w.text("<g class=\"key\" id=\"key-");
    w.number(index);
    w.text("\">\n<polygon");
    w.points(paint.quad.corner);
    w.text(" fill=\"");
    w.color(highlighted ? colors.textColor : fillColor(paint.fill, colors));
    w.text("\" stroke=\"");
    w.color(colors.faceColor);
    w.text("\"/>\n");
    if (mark == ScanMark::Key)
        writeScanFrame(w, key, paint, colors);
    if (!highlighted) {
        writeLegends(w, key, paint, colors, false);
    } else if (paint.labelCount > 0) {
        // As the keyboard draws them: beyond the key's bounds in their usual colours, within them in
        // the highlight's.
        writeBoundsClip(w, index, paint.bounds);
        w.text("<g clip-path=\"url(#scan-beyond-");
        w.number(index);
        w.text(")\">\n");
        writeLegends(w, key, paint, colors, false);
        w.text("</g>\n<g clip-path=\"url(#scan-within-");
        w.number(index);
        w.text(")\">\n");
        writeLegends(w, key, paint, colors, true);
        w.text("</g>\n");
    }
    w.text("</g>\n");
}

// The hover ring as the paint pass draws it: the track, then the rim and the arc from the top
// clockwise (SVG's positive sweep, with y downward).
void writeHoverRing(Writer& w, const PaletteColors& colors)
{
    if (!keyTable || hoverRing.key < 0 || hoverRing.key >= keyTable->count)
        return;
    const RingPaint ring = keyRingPaint(hoverRing.key, hoverRing.filled);
    const auto circle = [&](int32_t width, ColorRef color) {
        w.text("<circle cx=\"");
        w.decimal(ring.center.x + 0.5);
        w.text("\" cy=\"");
        w.decimal(ring.center.y + 0.5);
        w.text("\" r=\"");
        w.number(ring.radius);
        w.text("\"");
        writeStroke(w, color, width);
    };
    const auto arc = [&](int32_t width, ColorRef color) {
        w.text("<path d=\"M ");
        w.decimal(ring.center.x + 0.5);
        w.text(" ");
        w.decimal(ring.center.y - ring.radius + 0.5);
        w.text(" A ");
        w.number(ring.radius);
        w.text(" ");
        w.number(ring.radius);
        w.text(ring.filled > RING_FULL / 2 ? " 0 1 1 " : " 0 0 1 ");
        w.decimal(ring.end.x + 0.5);
        w.text(" ");
        w.decimal(ring.end.y + 0.5);
        w.text("\"");
        writeStroke(w, color, width);
    };
    w.text("<g class=\"hover-ring\">\n");
    circle(ring.track, colors.textColor);
    if (ring.filled >= RING_FULL) {
        circle(ring.width + 2 * ring.rim, colors.faceColor);
        circle(ring.width, colors.textColor);
    } else if (ring.filled > 0) {
        arc(ring.width + 2 * ring.rim, colors.faceColor);
        arc(ring.width, colors.textColor);
    }
    w.text("</g>\n");
}

void header(Writer& w, int64_t width, int64_t height, int style)
{
    w.text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"");
    w.number(width);
    w.text("\" height=\"");
    w.number(height);
    w.text("\" viewBox=\"0 0 ");
    w.number(width);
    w.text(" ");
    w.number(height);
    w.text("\">\n<!-- Plumtide panel in colour style ");
    w.number(style);
    w.text(", dock side ");
    w.number(static_cast<int32_t>(panelLayout.dockSide));
    // The client offset, named as in the pictures made before it was measured.
    w.text(", caption height ");
    w.number(clientOffset);
}

// The window's client area, in its own coordinates, clipped to the window's region.
void writeClientArea(Writer& w, const PaletteColors& colors)
{
    const PanelShape shape = computePanelShape(panelLayout, clientOffset, panelScale, panelArea);
    if (shape.valid) {
        w.text("<defs><clipPath id=\"region\"><polygon points=\"");
        for (int i = 0; i < shape.vertexCount; ++i) {
            if (i)
                w.text(" ");
            w.number(shape.vertices[i].x);
            w.text(",");
            w.number(int64_t{shape.vertices[i].y} - clientOffset);
        }
        w.text("\"/></clipPath></defs>\n<g clip-path=\"url(#region)\"");
    } else {
        w.text("<g");
    }
    w.text(" fill-rule=\"evenodd\" stroke-width=\"");
    w.number(std::max(1, outlinePenWidth(panelScale)));
    w.text("\" font-family=\"MS UI Gothic, sans-serif\" font-weight=\"bold\" xml:space=\"preserve\">\n");

    if (keyTable) {
        w.text("<rect class=\"background\" x=\"-0.5\" y=\"-0.5\" width=\"");
        w.number(int64_t{windowSize.width} + 1);
        w.text("\" height=\"");
        w.number(int64_t{windowSize.height} + 1);
        w.text("\" fill=\"");
        w.color(colors.textColor);
        w.text("\" stroke=\"");
        w.color(colors.faceColor);
        w.text("\"/>\n");

        const TabShape tab = computeTabShape(panelLayout, panelScale, panelArea);
        if (tab.drawn) {
            w.text("<polygon class=\"tab\"");
            w.points(tab.outline);
            w.text(" fill=\"");
            w.color(colors.faceColor);
            w.text("\" stroke=\"");
            w.color(colors.faceColor);
            w.text("\"/>\n");
            for (int i = 0; i < tab.arrowCount; ++i) {
                w.text("<polygon class=\"arrow\"");
                w.points(tab.arrows[i]);
                w.text(" fill=\"");
                w.color(colors.textColor);
                w.text("\" stroke=\"");
                w.color(colors.textColor);
                w.text("\"/>\n");
            }
        }
        for (int i = keyTable->count - 1; i >= 0; --i)
            writeKey(w, i, keyTable->keys[i], colors);
        writeHoverRing(w, colors);
    }
    w.text("</g>\n");
}

void letteringNote(Writer& w)
{
    w.text(" the legend anchors are the keyboard's own numbers; the lettering is approximate: bold"
           " MS UI Gothic (or any sans-serif) with a font size equal to the ");
    w.number(labelFontHeight(false, panelScale));
    w.text(" or ");
    w.number(labelFontHeight(true, panelScale));
    w.text(" pixel cell height, the baseline at 0.86 of the cell below the anchor, turned about the anchor."
           " The keyboard shows the panel translucent. -->\n");
}

} // namespace

std::string renderPanelSvg(int style)
{
    // The client area: the window below the class menu's strip.
    const int64_t width = windowSize.width > 0 ? windowSize.width : 0;
    const int64_t height = windowSize.height - clientOffset > 0 ? windowSize.height - clientOffset : 0;
    Writer w;
    header(w, width, height, style);
    w.text(", in the window's client coordinates and clipped to its region. Outlines, fills, the tab and");
    letteringNote(w);
    writeClientArea(w, paletteColors(isColorStyle(style) ? style : 1));
    w.text("</svg>\n");
    return std::move(w.out);
}

std::string renderScreenSvg(int style, Size screen)
{
    const int64_t width = screen.width > 0 ? screen.width : 0;
    const int64_t height = screen.height > 0 ? screen.height : 0;
    Writer w;
    header(w, width, height, style);
    w.text(", on a ");
    w.number(width);
    w.text("x");
    w.number(height);
    w.text(" screen at the scale ");
    w.number(panelScale.numerator);
    w.text("/");
    w.number(panelScale.denominator);
    w.text(", the window shown where the keyboard puts it and clipped to its region and to the screen."
           " Outlines, fills, the tab and");
    letteringNote(w);
    w.text("<rect class=\"screen\" width=\"");
    w.number(width);
    w.text("\" height=\"");
    w.number(height);
    w.text("\" fill=\"");
    w.color(DESKTOP_COLOR);
    w.text("\"/>\n<g transform=\"translate(");
    // The client area begins the client offset below the window's top edge.
    const Point window = shownWindowPosition();
    w.number(window.x);
    w.text(" ");
    w.number(int64_t{window.y} + clientOffset);
    w.text(")\">\n");
    writeClientArea(w, paletteColors(isColorStyle(style) ? style : 1));
    w.text("</g>\n</svg>\n");
    return std::move(w.out);
}
