#pragma once
// The JPEG options dialog of a save: the quality (1 ... 100, by a slider with
// an edit box) and whether the photograph's Exif and IPTC metadata go into
// the new file. Every dialog starts at quality 100 with the metadata kept.
// Texts come from the dictionary "Dictionary"; a key without an item leaves
// its control empty. User-interface thread only.

#include "controls/FGButton.h"
#include "controls/FGDialog.h"
#include "controls/FGMultiSliderPanel.h"
#include "controls/FGStatic.h"

class CEncoderJpegDlg : public CFGDialog {
    Q_OBJECT
public:
    static constexpr UINT IDD = 2000;
    /// Control identifiers of the template.
    enum : UINT { IDC_STATIC_QUALITY = 2000, IDC_PANEL_QUALITY = 2001, IDC_CHECK_KEEP_EXIF = 2003 };

    /// A dialog owned by `parent` (null: the active window when it runs).
    explicit CEncoderJpegDlg(QWidget* parent = nullptr);
    ~CEncoderJpegDlg() override;

    /// Results, read after DoModal returned IDOK; Cancel leaves them alone.
    int m_nQuality{100};       ///< JPEG quality 1 ... 100
    int m_nCompression{6};     ///< not chosen here; stays "none"
    BOOL m_bDropMetadata{1};   ///< set: the old metadata stays out of the new file

    /// The controls (for tools and tests).
    CFGMultiSliderPanel& QualityPanel() { return m_pnlQuality; }
    CFGButton& KeepExifCheckBox() { return m_chkKeepExif; }
    CFGButton& OkButton() { return m_btnOK; }
    CFGButton& CancelButton() { return m_btnCancel; }

protected:
    BOOL OnInitDialog() override;
    void AdjustCtrls() override;
    void OnOK() override;

private:
    void UpdateData(BOOL saveAndValidate);

    CFGStatic m_stcQuality;
    CFGMultiSliderPanel m_pnlQuality;
    CFGButton m_chkKeepExif;
    CFGButton m_btnOK;
    CFGButton m_btnCancel;
    BOOL m_bKeepExif{1};
};
