#include "io/EncoderTiffDlg.h"

#include "io/EncoderDialogTexts.h"

using namespace Carrow::EncoderDialogs;

namespace {

struct Choice {
    const wchar_t* key;
    bool enabled;
    int compression; // encoder value
};

// Only None and LZW are offered; the others are shown disabled.
constexpr Choice kChoices[CEncoderTiffDlg::kChoiceCount] = {
    {L"IDS_CARROW_DIALOG_ENCODER_TIFF_RADIO_COMPRESSION_NONE", true, 6},
    {L"IDS_CARROW_DIALOG_ENCODER_TIFF_RADIO_COMPRESSION_LZW", true, 2},
    {L"IDS_CARROW_DIALOG_ENCODER_TIFF_RADIO_COMPRESSION_RLE", false, 5},
    {L"IDS_CARROW_DIALOG_ENCODER_TIFF_RADIO_COMPRESSION_CCITT3", false, 3},
    {L"IDS_CARROW_DIALOG_ENCODER_TIFF_RADIO_COMPRESSION_CCITT4", false, 4},
};

const std::initializer_list<ControlKey> kControlKeys = {
    {IDOK, L"IDS_CARROW_DIALOG_ENCODER_TIFF_BUTTON_OK"},
    {IDCANCEL, L"IDS_CARROW_DIALOG_ENCODER_TIFF_BUTTON_CANCEL"},
    {CEncoderTiffDlg::IDC_GROUP_COMPRESSION, L"IDS_CARROW_DIALOG_ENCODER_TIFF_GROUP_COMPRESSION"},
    {CEncoderTiffDlg::IDC_CHECK_KEEP_EXIF, L"IDS_CARROW_DIALOG_ENCODER_TIFF_CHECKBOX_KEEP_EXIF"},
};

} // namespace

CEncoderTiffDlg::CEncoderTiffDlg(QWidget* parent)
    : CFGDialog(IDD, parent), m_grpCompression(this), m_rdoNone(this), m_rdoLzw(this), m_rdoRle(this),
      m_rdoCcitt3(this), m_rdoCcitt4(this), m_chkKeepExif(this), m_btnOK(this), m_btnCancel(this),
      m_arrRadios{&m_rdoNone, &m_rdoLzw, &m_rdoRle, &m_rdoCcitt3, &m_rdoCcitt4}
{
    SetStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    MakeOptionsWindow(*this);
    m_grpCompression.SetDlgCtrlID(IDC_GROUP_COMPRESSION);
    m_grpCompression.SetButtonStyle(BS_GROUPBOX);
    for (int i = 0; i < kChoiceCount; ++i) {
        CFGButton& radio = *m_arrRadios[static_cast<size_t>(i)];
        radio.SetDlgCtrlID(IDC_RADIO_FIRST + static_cast<UINT>(i));
        radio.SetButtonStyle(BS_AUTORADIOBUTTON);
        radio.SetWindowText(kChoices[i].key);
        radio.setEnabled(kChoices[i].enabled);
    }
    SetUpCommonButtons(m_chkKeepExif, IDC_CHECK_KEEP_EXIF, m_btnOK, m_btnCancel);
    // The template's texts: dictionary keys, replaced by their items on opening.
    SetControlTexts(*this, kControlKeys, false);
    m_grpCompression.lower();
}

CEncoderTiffDlg::~CEncoderTiffDlg() = default;

int CEncoderTiffDlg::CompressionOfIndex(int index)
{
    return index >= 0 && index < kChoiceCount ? kChoices[index].compression : kChoices[0].compression;
}

BOOL CEncoderTiffDlg::OnInitDialog()
{
    CFGDialog::OnInitDialog();
    for (int i = 0; i < kChoiceCount; ++i)
        m_arrRadios[static_cast<size_t>(i)]->SetWindowText(Translate(kChoices[i].key));
    TranslateTexts(*this, L"IDS_CARROW_DIALOG_ENCODER_TIFF_CAPTION", kControlKeys);
    m_nCompressionIndex = 0;
    m_bKeepExif = TRUE;
    UpdateData(FALSE);
    m_btnOK.setFocus(Qt::OtherFocusReason);
    return TRUE;
}

void CEncoderTiffDlg::AdjustCtrls()
{
    SetClientSize(260, 170);
    setFixedSize(size());
    m_grpCompression.setGeometry(10, 10, 240, 90);
    m_rdoNone.setGeometry(20, 30, 110, 20);
    m_rdoLzw.setGeometry(20, 50, 110, 20);
    m_rdoRle.setGeometry(130, 30, 110, 20);
    m_rdoCcitt3.setGeometry(130, 50, 110, 20);
    m_rdoCcitt4.setGeometry(130, 70, 110, 20);
    PlaceCommonButtons(m_chkKeepExif, m_btnOK, m_btnCancel, 110);
    CenterWindow();
}

void CEncoderTiffDlg::UpdateData(BOOL saveAndValidate)
{
    if (saveAndValidate) {
        m_nCompressionIndex = -1;
        for (int i = 0; i < kChoiceCount; ++i)
            if (m_arrRadios[static_cast<size_t>(i)]->GetCheck() == BST_CHECKED) m_nCompressionIndex = i;
    } else {
        for (int i = 0; i < kChoiceCount; ++i)
            m_arrRadios[static_cast<size_t>(i)]->SetCheck(i == m_nCompressionIndex ? BST_CHECKED : BST_UNCHECKED);
    }
    ExchangeCheck(m_chkKeepExif, m_bKeepExif, saveAndValidate);
}

void CEncoderTiffDlg::OnOK()
{
    UpdateData(TRUE);
    m_nCompression = CompressionOfIndex(m_nCompressionIndex);
    m_bDropMetadata = m_bKeepExif ? FALSE : TRUE;
    CFGDialog::OnOK();
}
