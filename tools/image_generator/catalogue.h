#pragma once
// What the picture generator writes: named colour strings grouped into source files.
#include <QString>
#include <QStringList>

#include <vector>

namespace qb::tools {

// One picture kept as a single string.
struct Picture {
    QString name;
    QString comment;
    QString text;
};

// Pictures kept as pieces: an array of `pictures.size()` rows of `width` piece pointers, each row
// padded with nullptr.
struct PieceSet {
    QString name;
    QString comment;
    std::vector<QStringList> pictures;
    int width = 0;
};

struct CatalogueFile {
    QString fileName;
    std::vector<Picture> singles;
    std::vector<PieceSet> sets;
};

// Button caps and bodies of the header, toolbar and push buttons.
CatalogueFile ButtonBars();
// The eight toolbar pictures.
CatalogueFile ToolbarPictures();
// The four activity pictures.
CatalogueFile ActivityPictures();
// The tray padlock, the unknown-program and attempts pictures, the status lights and the banner emblem.
CatalogueFile SmallPictures();

// The program's icon as "<themeFolder>/hicolor/<n>x<n>/apps/quillbrook.png" at every size a desktop
// asks for; false when a file could not be written.
bool WriteAppIcons(const QString& themeFolder);

} // namespace qb::tools
