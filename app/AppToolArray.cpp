#include "app/AppToolArray.h"

#include "imagewindow/ImageMover.h"
#include "imagewindow/tools/CloneStamp.h"
#include "imagewindow/tools/DodgeBurn.h"
#include "imagewindow/tools/RedeyeReduction.h"
#include "imagewindow/tools/RegionSelector.h"
#include "imagewindow/tools/SpotRemover.h"

void CAppToolArray::CreateAll()
{
    Clear();
    m_tools[0] = std::make_unique<ImageWindow::EmbeddedTool::ImageMover>();
    m_tools[1] = std::make_unique<ImageWindow::EmbeddedTool::RegionSelector>();
    m_tools[2] = std::make_unique<ImageWindow::EmbeddedTool::CloneStamp>();
    m_tools[3] = std::make_unique<ImageWindow::EmbeddedTool::DodgeBurn>();
    m_tools[4] = std::make_unique<ImageWindow::EmbeddedTool::SpotRemover>();
    m_tools[5] = std::make_unique<ImageWindow::EmbeddedTool::RedeyeReduction>();
}

void CAppToolArray::Clear()
{
    for (auto& tool : m_tools) tool.reset();
}

IEmbeddedTool* CAppToolArray::Get(int index) const
{
    return index >= 0 && index < kCount ? m_tools[index].get() : nullptr;
}

void CAppToolArray::Set(int index, std::unique_ptr<IEmbeddedTool> tool)
{
    if (index >= 0 && index < kCount) m_tools[index] = std::move(tool);
}

const BYTE* CAppToolArray::GetSketcherBitmap(int index, BITMAPINFO& header) const
{
    IEmbeddedTool* tool = Get(index);
    return tool ? tool->GetBitmap(header) : nullptr;
}
