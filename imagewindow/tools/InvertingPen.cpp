#include "imagewindow/tools/InvertingPen.h"

#include <QPainter>

namespace ImageWindow::EmbeddedTool {

InvertingPen::InvertingPen(QPainter& dc) : m_dc(dc)
{
    m_dc.save();
    m_dc.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    m_dc.setPen(QPen(Qt::black, 0));
    m_dc.setBrush(Qt::NoBrush);
    m_dc.setRenderHint(QPainter::Antialiasing, false);
}

InvertingPen::~InvertingPen() { m_dc.restore(); }

} // namespace ImageWindow::EmbeddedTool
