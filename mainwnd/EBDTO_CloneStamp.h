#pragma once
// CEBDTO_CloneStamp: the clone stamp's option panel in the main window's
// option strip: one line summing up the pen ("Radius: 1 Hardness: 100
// Opacity: 100 ") that opens a pop-up with three sliders and number boxes
// when clicked. The panel shows a radius; the pen's size is 2 × radius + 1
// image pixels (radius 0 to 250, so sizes 1 to 501). It reads the tool's pen
// when it opens, and hands the pen to the tool (Sketcher::SetPen) each time
// the pop-up closes; it keeps no setting of its own. User-interface thread.

#include "controls/FGDialog.h"
#include "imagewindow/IEmbeddedTool.h"

class CFGMultiSliderCtrl;
class CFGStatic;
namespace ImageWindow::EmbeddedTool {
class Sketcher;
}

class CEBDTO_CloneStamp : public CFGDialog {
    Q_OBJECT
public:
    enum { IDD = 1000 };
    static constexpr UINT IDC_PLACEHOLDER = 1000;  ///< where the slider line goes
    static constexpr UINT IDC_SLIDERS = 1001;      ///< the slider line
    static constexpr int MAX_RADIUS = 250;
    static constexpr int CLIENT_WIDTH = 260;
    static constexpr int CLIENT_HEIGHT = 20;
    /// Slider indexes.
    enum SliderIndex { SLIDER_RADIUS = 0, SLIDER_HARDNESS = 1, SLIDER_OPACITY = 2 };

    /// A child panel (template 1000) with its placeholder; pen style -1,
    /// radius 1, hardness 100, opacity 100, no tool.
    explicit CEBDTO_CloneStamp(QWidget* parent = nullptr);
    ~CEBDTO_CloneStamp() override;

    /// Accepts only the clone stamp (tool name "clone_stamp"): keeps it (not
    /// owned; it must outlive the panel) and creates the panel as a child of
    /// `parent`. Any other tool, or none, logs "Invalid Argument." and returns
    /// FALSE without creating anything.
    BOOL Create(ImageWindow::IEmbeddedTool* tool, QWidget* parent);

    /// The pen the panel shows: radius in image pixels, hardness and opacity 1 to 100.
    int GetRadius() const { return m_nPenRadius; }
    int GetHardness() const { return m_nPenHardness; }
    int GetOpacity() const { return m_nPenOpacity; }
    /// The slider line; null until it was created.
    CFGMultiSliderCtrl* GetSliderCtrl() const { return m_ctrlSliders; }

protected:
    BOOL OnInitDialog() override;
    void AdjustCtrls() override;
    /// 1125 (the pop-up closed): the sliders' values become the tool's pen.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ReadToolPen();
    void CreateSliders();
    LRESULT OnSlidersClosed();
    void PushPen();

    CFGStatic* m_stcPlaceholder;  // children, owned by the dialog
    CFGMultiSliderCtrl* m_ctrlSliders{nullptr};
    int m_nPenStyle{-1};
    int m_nPenRadius{1};
    int m_nPenHardness{100};
    int m_nPenOpacity{100};
    ImageWindow::EmbeddedTool::Sketcher* m_pTool{nullptr};
};
