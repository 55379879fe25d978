#include "controls/FGMemDC.h"

CFGMemDC::CFGMemDC(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0) return;
    m_Bitmap = QImage(width, height, format);
    m_Bitmap.fill(Qt::black);
}

CFGMemDC::~CFGMemDC() { ReleaseDC(); }

QPainter& CFGMemDC::GetDC()
{
    if (!m_pPainter) m_pPainter = std::make_unique<QPainter>(&m_Bitmap);
    return *m_pPainter;
}

void CFGMemDC::ReleaseDC()
{
    if (m_pPainter) m_pPainter->end();
    m_pPainter.reset();
}
