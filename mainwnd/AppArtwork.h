#pragma once
// The program's own pictures, drawn at run time so they stay sharp at any
// size: the application icon (a photograph with the spot remover's ring),
// the icon of the sibling product Tarnwick (a stack of photographs) and the
// banner across the top of the About box. User-interface thread (they paint
// QPixmaps).

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace AppArtwork {

/// The application icon, `size` × `size` pixels, transparent corners.
QPixmap AppIcon(int size);

/// The application icon at the sizes a window manager asks for (16 to 256).
QIcon AppWindowIcon();

/// The sibling product's icon, `size` × `size` pixels, transparent corners.
QPixmap SiblingIcon(int size);

/// The About box banner of `size` pixels: a dark band with the application
/// icon and `title` in large letters, `subtitle` below it.
QPixmap AboutBanner(const QSize& size, const QString& title, const QString& subtitle);

} // namespace AppArtwork
