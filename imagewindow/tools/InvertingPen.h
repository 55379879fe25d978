#pragma once
// The pen of the outlines a tool draws while the user drags (a rubber band,
// a shape being made): one pixel wide, black, no fill, mixed with NOT-XOR
// (the R2_NOTXORPEN of GDI), so that the line inverts whatever lies under it
// and shows on any picture.

class QPainter;

namespace ImageWindow::EmbeddedTool {

class InvertingPen {
public:
    /// Saves the painter's state and selects the inverting pen, no brush and
    /// aliased drawing. UI thread (the painter paints the view's back buffer).
    explicit InvertingPen(QPainter& dc);
    /// Puts back the painter's previous pen, brush and mix mode.
    ~InvertingPen();
    InvertingPen(const InvertingPen&) = delete;
    InvertingPen& operator=(const InvertingPen&) = delete;

private:
    QPainter& m_dc;
};

} // namespace ImageWindow::EmbeddedTool
