#pragma once
// A main window without a screen, for command-line runs and benchmarks:
// nothing to show, no one to ask. It accepts every image the application
// hands it (keeping the pointer as the view would) so that the application's
// flows run exactly as in the program. User-interface thread, as every
// IMainWindow.

#include "app/IMainWindow.h"

class CHeadlessMainWindow final : public IMainWindow {
public:
    int DoModal() override { return 0; }
    BOOL SetImage(BYTE* bits, BITMAPINFO& info) override { return Show(bits, info); }
    BOOL UpdateImage(BYTE* bits, BITMAPINFO& info) override { return Show(bits, info); }
    BOOL GetImage(CBitmap&) override { return FALSE; }
    double SetDisplayScale(int, int) override { return 1.0; }
    void UpdateToolbarState() override {}
    void UpdateStatusImageInfo() override {}
    void UpdateStatusCursorPos() override {}
    void UpdateStatusPixelColor() override {}
    void SetCaption(const std::wstring&) override {}
    /// Ends the editing period without asking (a headless run saves
    /// explicitly); always TRUE.
    BOOL OnFileClose() override;
    void OnAccelerator(UINT) override {}
    void EnableImageView(bool) override {}
    void FocusImageView() override {}
    void UnloadToolAndClearImage() override { m_pShown = nullptr; }
    BOOL IsWindowVisible() const override { return FALSE; }
    RECT GetWindowRect() const override { return {0, 0, 0, 0}; }
    bool IsIconic() const override { return false; }
    bool IsZoomed() const override { return false; }
    QWidget* GetWidget() override { return nullptr; }
    QWidget* GetToolbarWidget() override { return nullptr; }
    QWidget* GetImageViewWidget() override { return nullptr; }

    /// The pixels shown last (owned by the history; null when none) and their
    /// header.
    const BYTE* Shown() const { return m_pShown; }
    const BITMAPINFO& ShownHeader() const { return m_shownHeader; }

private:
    BOOL Show(BYTE* bits, const BITMAPINFO& info);

    const BYTE* m_pShown{nullptr};
    BITMAPINFO m_shownHeader{};
};
