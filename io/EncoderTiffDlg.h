#pragma once
// The TIFF options dialog of a save: the compression (None or LZW; RLE,
// CCITT Group 3 and Group 4 are shown but cannot be chosen) and whether the
// photograph's Exif and IPTC metadata go into the new file. Every dialog
// starts at no compression with the metadata kept. Texts come from the
// dictionary "Dictionary". User-interface thread only.

#include "controls/FGButton.h"
#include "controls/FGDialog.h"

#include <array>

class CEncoderTiffDlg : public CFGDialog {
    Q_OBJECT
public:
    static constexpr UINT IDD = 2001;
    /// Control identifiers of the template; the radio buttons are 2005 ... 2009.
    enum : UINT { IDC_CHECK_KEEP_EXIF = 2003, IDC_GROUP_COMPRESSION = 2004, IDC_RADIO_FIRST = 2005 };
    /// Number of compression choices.
    static constexpr int kChoiceCount = 5;

    /// A dialog owned by `parent` (null: the active window when it runs).
    explicit CEncoderTiffDlg(QWidget* parent = nullptr);
    ~CEncoderTiffDlg() override;

    /// The encoder value of compression choice `index` (0 None: 6, 1 LZW: 2,
    /// 2 RLE: 5, 3 CCITT3: 3, 4 CCITT4: 4); 6 for an index out of range.
    static int CompressionOfIndex(int index);

    /// Results, read after DoModal returned IDOK; Cancel leaves them alone.
    int m_nQuality{100};      ///< not chosen here
    int m_nCompression{6};    ///< TIFF compression as an encoder value
    BOOL m_bDropMetadata{1};  ///< set: the old metadata stays out of the new file

    /// The controls (for tools and tests).
    CFGButton& RadioButton(int index) { return *m_arrRadios[static_cast<size_t>(index)]; }
    CFGButton& KeepExifCheckBox() { return m_chkKeepExif; }
    CFGButton& OkButton() { return m_btnOK; }
    CFGButton& CancelButton() { return m_btnCancel; }

protected:
    BOOL OnInitDialog() override;
    void AdjustCtrls() override;
    void OnOK() override;

private:
    void UpdateData(BOOL saveAndValidate);

    CFGButton m_grpCompression;
    CFGButton m_rdoNone, m_rdoLzw, m_rdoRle, m_rdoCcitt3, m_rdoCcitt4;
    CFGButton m_chkKeepExif;
    CFGButton m_btnOK;
    CFGButton m_btnCancel;
    int m_nCompressionIndex{0};
    BOOL m_bKeepExif{1};
    std::array<CFGButton*, kChoiceCount> m_arrRadios{};
};
