#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// The program's own artwork, drawn as SVG under resources/skin/ and rendered at the size the
// artwork declares, times the device pixel ratio, so it stays sharp on high-density screens.
namespace SkinArtwork {

// A skinned button face by resource name: base name plus "U", "D", "F" or "X"
// ("BITMAP_PLAYU"). Opaque; device-independent size as declared; null when there is none.
QPixmap buttonFace(const QString &faceName, qreal devicePixelRatio = 1.0);

// Skin bitmap 1500-1509 (window band, title and picture frame pieces); null for other ids.
QPixmap skinBitmap(int resourceId, qreal devicePixelRatio = 1.0);

// The program icon (resource 102) with its 16 to 256 pixel renderings.
QIcon appIcon();

// Renders an SVG resource at its declared size x devicePixelRatio onto an opaque image.
// Null when the resource does not exist or is not valid SVG.
QImage renderSvg(const QString &resourcePath, qreal devicePixelRatio, bool opaque = true);

} // namespace SkinArtwork
