#pragma once
// CFGStatusBarCtrl: the skinned status bar: a strip of parts along the bottom
// of a window, each with one line of text. Parts are given by their right
// edges in client pixels; -1 makes a part reach the right end of the bar.
// User-interface thread only.

#include "platform/WinTypes.h"

#include <QWidget>

#include <string>
#include <vector>

class CFGStatusBarCtrl : public QWidget {
    Q_OBJECT
public:
    /// Height of the bar in pixels.
    static constexpr int kHeight = 24;

    /// A bar of one part reaching the right end.
    explicit CFGStatusBarCtrl(QWidget* parent = nullptr);

    /// Makes the bar a child of `parent` with identifier `id`; it takes the
    /// left, top and width of `rect` and its own height (an empty rectangle
    /// is fine: the parent places the bar afterwards). Visible when `style`
    /// has WS_VISIBLE. FALSE for a null parent.
    BOOL Create(DWORD style, const RECT& rect, QWidget* parent, UINT id);

    /// Sets `count` parts with the right edges `rightEdges` (-1 for a part
    /// that runs to the end). Texts of parts that remain are kept. FALSE for a
    /// null pointer or a count outside 1 ... 256.
    BOOL SetParts(int count, const int* rightEdges);
    /// Copies up to `count` right edges into `rightEdges` (may be null);
    /// returns the number of parts.
    int GetParts(int count, int* rightEdges) const;

    /// Sets the text of `part`. FALSE for a part out of range. `type` is kept
    /// for callers of the usual signature and is not used.
    BOOL SetText(LPCWSTR text, int part, int type = 0);
    /// The text of `part`; empty for a part out of range.
    std::wstring GetText(int part) const;

    /// Rectangle of `part` in client pixels; empty for a part out of range.
    QRect GetPartRect(int part) const;

    /// The control identifier (0 when none).
    UINT GetDlgCtrlID() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<int> m_edges{-1};
    std::vector<std::wstring> m_texts{std::wstring()};
};
