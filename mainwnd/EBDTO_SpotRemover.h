#pragma once
// CEBDTO_SpotRemover: the spot remover's option panel in the main window's
// option strip: one slider row "Spot size" (1 to 500 image pixels) with a
// number box. It reads the tool's size when it opens and hands every change
// of the slider or the number to the tool at once (SpotRemover::SetSize); it
// keeps no setting of its own. User-interface thread.

#include "controls/FGDialog.h"
#include "imagewindow/IEmbeddedTool.h"

class CFGMultiSliderPanel;
class CFGStatic;
namespace ImageWindow::EmbeddedTool {
class SpotRemover;
}

class CEBDTO_SpotRemover : public CFGDialog {
    Q_OBJECT
public:
    enum { IDD = 1000 };
    static constexpr UINT IDC_PLACEHOLDER = 1000;  ///< where the slider panel goes
    static constexpr UINT IDC_SLIDERS = 1001;      ///< the slider panel
    static constexpr int DEFAULT_SIZE = 15;        ///< used when the tool's size is out of range
    static constexpr int MIN_SIZE = 1;
    static constexpr int MAX_SIZE = 500;
    static constexpr int CLIENT_WIDTH = 260;
    static constexpr int CLIENT_HEIGHT = 20;

    /// A child panel (template 1000) with its placeholder; m_nSize 10, no tool.
    explicit CEBDTO_SpotRemover(QWidget* parent = nullptr);
    ~CEBDTO_SpotRemover() override;

    /// Accepts only the spot remover (tool name "spot_remover"): keeps it (not
    /// owned; it must outlive the panel) and creates the panel as a child of
    /// `parent`. Any other tool, or none, logs "Invalid Argument." and returns
    /// FALSE without creating anything.
    BOOL Create(ImageWindow::IEmbeddedTool* tool, QWidget* parent);

    /// The size the panel shows (image pixels).
    int GetSize() const { return m_nSize; }
    /// The slider panel; null until it was created.
    CFGMultiSliderPanel* GetSliderPanel() const { return m_pnlSliders; }

protected:
    BOOL OnInitDialog() override;
    void AdjustCtrls() override;
    /// 1124 (an option changed): the slider's value becomes the tool's size.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnSliderChanged();

    CFGStatic* m_stcPlaceholder;  // children, owned by the dialog
    CFGMultiSliderPanel* m_pnlSliders{nullptr};
    int m_nSize{10};
    ImageWindow::EmbeddedTool::SpotRemover* m_pTool{nullptr};
};
