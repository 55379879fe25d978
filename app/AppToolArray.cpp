#include "app/AppToolArray.h"

void CAppToolArray::CreateAll()
{
    Clear();
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
