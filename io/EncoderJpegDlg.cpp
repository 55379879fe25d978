#include "io/EncoderJpegDlg.h"

#include "io/EncoderDialogTexts.h"

using namespace Carrow::EncoderDialogs;

namespace {

// The template's texts: dictionary keys, replaced by their items on opening.
const std::initializer_list<ControlKey> kControlKeys = {
    {IDOK, L"IDS_CARROW_DIALOG_ENCODER_JPEG_BUTTON_OK"},
    {IDCANCEL, L"IDS_CARROW_DIALOG_ENCODER_JPEG_BUTTON_CANCEL"},
    {CEncoderJpegDlg::IDC_STATIC_QUALITY, L"IDS_CARROW_DIALOG_ENCODER_JPEG_STATIC_QUALITY"},
    {CEncoderJpegDlg::IDC_CHECK_KEEP_EXIF, L"IDS_CARROW_DIALOG_ENCODER_JPEG_CHECKBOX_KEEP_EXIF"},
};

} // namespace

CEncoderJpegDlg::CEncoderJpegDlg(QWidget* parent)
    : CFGDialog(IDD, parent), m_stcQuality(this), m_chkKeepExif(this), m_btnOK(this), m_btnCancel(this)
{
    SetStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    MakeOptionsWindow(*this);
    m_stcQuality.SetDlgCtrlID(IDC_STATIC_QUALITY);
    m_stcQuality.hide(); // marks where the quality slider goes
    SetUpCommonButtons(m_chkKeepExif, IDC_CHECK_KEEP_EXIF, m_btnOK, m_btnCancel);
    SetControlTexts(*this, kControlKeys, false);
}

CEncoderJpegDlg::~CEncoderJpegDlg() = default;

BOOL CEncoderJpegDlg::OnInitDialog()
{
    CFGDialog::OnInitDialog();
    TranslateTexts(*this, L"IDS_CARROW_DIALOG_ENCODER_JPEG_CAPTION", kControlKeys);

    SLIDER_ITEM_INFO quality;
    quality.strName = Translate(L"IDS_CARROW_DIALOG_ENCODER_JPEG_STATIC_QUALITY");
    quality.bEditable = 1;
    quality.bInteger = 1;
    quality.iMin = 1;
    quality.iMax = 100;
    quality.iValue = 100;
    const QRect place = m_stcQuality.geometry();
    if (m_pnlQuality.SetSliderInfo(&quality, 1, 50, place.width() - 90, 40, 0))
        m_pnlQuality.Create(place.left(), place.top(), this, IDC_PANEL_QUALITY, FALSE);

    m_bKeepExif = TRUE;
    UpdateData(FALSE);
    m_btnOK.setFocus(Qt::OtherFocusReason);
    return TRUE;
}

void CEncoderJpegDlg::AdjustCtrls()
{
    SetClientSize(260, 100);
    setFixedSize(size());
    m_stcQuality.setGeometry(10, 10, 240, 20);
    PlaceCommonButtons(m_chkKeepExif, m_btnOK, m_btnCancel, 40);
    CenterWindow();
}

void CEncoderJpegDlg::UpdateData(BOOL saveAndValidate)
{
    ExchangeCheck(m_chkKeepExif, m_bKeepExif, saveAndValidate);
}

void CEncoderJpegDlg::OnOK()
{
    UpdateData(TRUE);
    SLIDER_ITEM_INFO quality;
    if (m_pnlQuality.GetSliderInfo(0, quality)) m_nQuality = quality.iValue;
    m_bDropMetadata = m_bKeepExif ? FALSE : TRUE;
    CFGDialog::OnOK();
}
