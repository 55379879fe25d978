// gleamkit_gallery: renders the skinned controls as they look in the program
// and saves the pictures as PNG files, to check the skin by eye.
//
//   gleamkit_gallery <output-folder>
//
// Run it from the folder that holds Skin/, Bitmap/ and Lan.lc (the build's
// bin folder); the texts follow the locale as the program's do
// (LC_ALL=de_DE.UTF-8 for German). Writes messagebox_question.png, encoder_jpeg.png,
// encoder_tiff.png, slider_popup.png, toolbar_states.png and controls.png.

#include "Wordhoard/LocalizeHelper.h"
#include "controls/FGButton.h"
#include "controls/FGDialog.h"
#include "controls/FGEdit.h"
#include "controls/FGMessageBox.h"
#include "controls/FGMultiSliderCtrl.h"
#include "controls/FGResource.h"
#include "controls/FGStatic.h"
#include "controls/FGStatusBarCtrl.h"
#include "controls/FGToolbar.h"
#include "io/EncoderJpegDlg.h"
#include "io/EncoderTiffDlg.h"
#include "platform/WideFormat.h"

#include <QApplication>
#include <QDir>
#include <QPainter>

#include <cstdio>

namespace {

const wchar_t* Text(const wchar_t* key)
{
    return LocalizeHelper::GetDictionaryItem("Dictionary", key);
}

bool Save(const QPixmap& picture, const QDir& out, const char* name)
{
    const QString path = out.filePath(name);
    if (picture.save(path, "PNG")) {
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    std::fprintf(stderr, "gleamkit_gallery: cannot write %s\n", qPrintable(path));
    return false;
}

// Runs `dialog` modally with a hook that photographs it and cancels.
QPixmap Photograph(const std::function<INT_PTR()>& run)
{
    QPixmap picture;
    CFGDialog::SetModalHook([&](CFGDialog& shown) {
        QApplication::processEvents();
        picture = shown.grab();
        return static_cast<INT_PTR>(IDCANCEL);
    });
    run();
    CFGDialog::SetModalHook({});
    return picture;
}

QPixmap MessageBoxPicture(const std::wstring& text, UINT type)
{
    CFGMessageBox box(nullptr);
    const wchar_t* keys[12] = {nullptr, L"IDS_VELMIRA_MSGBOX_BUTTON_OK", L"IDS_VELMIRA_MSGBOX_BUTTON_CANCEL",
                               L"IDS_VELMIRA_MSGBOX_BUTTON_ABORT", L"IDS_VELMIRA_MSGBOX_BUTTON_RETRY",
                               L"IDS_VELMIRA_MSGBOX_BUTTON_IGNORE", L"IDS_VELMIRA_MSGBOX_BUTTON_YES",
                               L"IDS_VELMIRA_MSGBOX_BUTTON_NO", L"IDS_VELMIRA_MSGBOX_BUTTON_CLOSE",
                               L"IDS_VELMIRA_MSGBOX_BUTTON_HELP", L"IDS_VELMIRA_MSGBOX_BUTTON_TRYAGAIN",
                               L"IDS_VELMIRA_MSGBOX_BUTTON_CONTINUE"};
    for (UINT id = 1; id <= 11; ++id) box.SetButtonText(id, Text(keys[id]));
    box.SetText(text.c_str(), L"CorvaneLoader");
    return Photograph([&] { return box.DoModal(type); });
}

QPixmap QuestionBox()
{
    return MessageBoxPicture(
        FormatWide(Text(L"IDS_VELMIRA_MSG_DO_YOU_WANT_TO_SAVE_MODIFICATION"), L"/home/ann/Pictures/harbour at dusk.jpg"),
        MB_YESNOCANCEL | MB_ICONQUESTION);
}

// The longest error a save can end with.
QPixmap SaveFailedBox() { return MessageBoxPicture(Text(L"IDS_VELMIRA_MSG_SAVE_FAILED"), MB_OK | MB_ICONERROR); }

QPixmap SliderPopup()
{
    CFGDialog strip;
    strip.resize(300, 30);
    CFGMultiSliderCtrl line;
    line.Create(WS_VISIBLE, RECT{5, 5, 265, 25}, &strip, 1001);
    SLIDER_ITEM_INFO items[3];
    const wchar_t* names[3] = {L"IDS_VELMIRA_MAINDLG_EMBEDDEDTOOLOPTIONS_PEN_RADIUS",
                               L"IDS_VELMIRA_MAINDLG_EMBEDDEDTOOLOPTIONS_PEN_HARDNESS",
                               L"IDS_VELMIRA_MAINDLG_EMBEDDEDTOOLOPTIONS_PEN_OPACITY"};
    const int limits[3][3] = {{0, 250, 12}, {1, 100, 80}, {1, 100, 100}};
    for (int i = 0; i < 3; ++i) {
        items[i].strName = Text(names[i]);
        items[i].bEditable = 1;
        items[i].iMin = limits[i][0];
        items[i].iMax = limits[i][1];
        items[i].iValue = limits[i][2];
    }
    line.SetSliderInfo(items, 3, 70, 150, 40, 5);
    strip.show();
    line.OpenPanel();
    QApplication::processEvents();
    const QPixmap top = strip.grab();
    const QPixmap panel = line.GetPanel().grab();
    QPixmap sheet(std::max(top.width(), panel.width() + 5), top.height() + panel.height());
    sheet.fill(QColor(230, 230, 230));
    QPainter painter(&sheet);
    painter.drawPixmap(0, 0, top);
    painter.drawPixmap(5, 25, panel);
    painter.end();
    line.GetPanel().DestroyWindow();
    return sheet;
}

struct ToolbarButton {
    UINT id;
    const wchar_t* name;
    bool separatorAfter;
};

const ToolbarButton kButtons[] = {
    {30000, L"file_open", false},        {30001, L"file_save", false},
    {30002, L"file_saveas", true},       {30003, L"view_zoomin", false},
    {30004, L"view_zoomout", false},     {30014, L"view_fitwindow", false},
    {30015, L"view_originalsize", true}, {30005, L"edit_copy", false},
    {30006, L"edit_paste", true},        {30007, L"edit_undo", false},
    {30008, L"edit_redo", true},         {30009, L"image_rotateleft", false},
    {30010, L"image_rotateright", false}, {30011, L"image_horizontalflip", false},
    {30012, L"image_verticalflip", true}, {16, L"help_about", false},
};

QPixmap ToolbarStates(FGBitmapMap& bitmaps)
{
    QWidget host;
    host.resize(900, 44);
    CFGToolbar toolbar;
    toolbar.Create(1000, &host, 0, FGTB_HORIZONTAL, 44, 40, 2, 5);
    for (const ToolbarButton& b : kButtons) {
        toolbar.InsertButton(b.id, b.name);
        const std::wstring key = std::wstring(L"toolbar\\") + b.name;
        toolbar.SetButtonBitmaps(b.id, bitmaps[key], bitmaps[key + L"_hot"], bitmaps[key + L"_dis"], RGB(255, 0, 255));
        if (b.separatorAfter) toolbar.InsertSeparator();
    }
    toolbar.resize(toolbar.sizeHint());
    host.resize(toolbar.size());
    host.show();
    QApplication::processEvents();
    const QPixmap normal = toolbar.grab();
    QPixmap hot = normal;
    {
        QPainter painter(&hot);
        for (int i = 0; i < toolbar.GetItemCount(); ++i) {
            if (toolbar.IsSeparator(i)) continue;
            toolbar.SetHotItem(i);
            const QRect box = toolbar.GetItemRect(i);
            painter.drawPixmap(box.topLeft(), toolbar.grab(box));
        }
    }
    toolbar.SetHotItem(-1);
    for (const ToolbarButton& b : kButtons) toolbar.EnableButton(b.id, FALSE);
    const QPixmap disabled = toolbar.grab();
    QPixmap sheet(normal.width(), normal.height() * 3 + 16);
    sheet.fill(QColor(230, 230, 230));
    QPainter painter(&sheet);
    painter.drawPixmap(0, 0, normal);
    painter.drawPixmap(0, normal.height() + 8, hot);
    painter.drawPixmap(0, 2 * normal.height() + 16, disabled);
    return sheet;
}

QPixmap Controls()
{
    CFGDialog page;
    page.resize(420, 150);
    CFGButton push(&page), def(&page), off(&page), check(&page), mid(&page), radio(&page), radioOff(&page);
    push.Create(L"Button", WS_VISIBLE, RECT{10, 10, 100, 34}, &page, 1);
    def.Create(L"Default", WS_VISIBLE | BS_DEFPUSHBUTTON, RECT{110, 10, 200, 34}, &page, 2);
    off.Create(L"Disabled", WS_VISIBLE | WS_DISABLED, RECT{210, 10, 300, 34}, &page, 3);
    check.Create(L"Checked", WS_VISIBLE | BS_AUTO3STATE, RECT{10, 50, 130, 70}, &page, 4);
    check.SetCheck(BST_CHECKED);
    mid.Create(L"Indeterminate", WS_VISIBLE | BS_AUTO3STATE, RECT{140, 50, 280, 70}, &page, 5);
    mid.SetCheck(BST_INDETERMINATE);
    radio.Create(L"Chosen", WS_VISIBLE | BS_AUTORADIOBUTTON, RECT{10, 80, 130, 100}, &page, 6);
    radio.SetCheck(BST_CHECKED);
    radioOff.Create(L"Not offered", WS_VISIBLE | WS_DISABLED | BS_AUTORADIOBUTTON, RECT{140, 80, 280, 100}, &page, 7);
    CFGEdit edit(&page);
    edit.Create(WS_VISIBLE | ES_CENTER, RECT{310, 50, 400, 70}, &page, 8);
    edit.SetWindowText(L"125");
    CFGStatic link(&page);
    link.Create(L"www.example.com", WS_VISIBLE | SS_CENTERIMAGE, RECT{310, 80, 410, 100}, &page, 9);
    link.EnableHyperLinkMode(TRUE);
    CFGStatusBarCtrl status(&page);
    status.Create(WS_VISIBLE, RECT{0, 126, 420, 126}, &page, 10);
    const int edges[3] = {200, 300, -1};
    status.SetParts(3, edges);
    status.SetText(L"4000x3000x24BPP (667x500, 16.67%)", 0);
    status.SetText(L"X=1024,Y=768", 1);
    status.SetText(L"RGB(128,064,032)", 2);
    page.show();
    QApplication::processEvents();
    return page.grab();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gleamkit_gallery <output-folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    LocalizeHelper::Initialize();
    LocalizeHelper::LoadDictionary(L"Lan.lc", "Dictionary");
    FGLoadResource(L"Skin");
    FGBitmapMap bitmaps;
    FGLoadBitmaps(L"Bitmap", bitmaps);

    bool ok = Save(QuestionBox(), out, "messagebox_question.png");
    ok &= Save(SaveFailedBox(), out, "messagebox_save_failed.png");
    CEncoderJpegDlg jpeg;
    ok &= Save(Photograph([&] { return jpeg.DoModal(); }), out, "encoder_jpeg.png");
    CEncoderTiffDlg tiff;
    ok &= Save(Photograph([&] { return tiff.DoModal(); }), out, "encoder_tiff.png");
    ok &= Save(SliderPopup(), out, "slider_popup.png");
    ok &= Save(ToolbarStates(bitmaps), out, "toolbar_states.png");
    ok &= Save(Controls(), out, "controls.png");
    FGUnloadBitmaps(bitmaps);
    LocalizeHelper::UnInitialize();
    return ok ? 0 : 1;
}
