#pragma once
// Program icons for the connection list (16 x 16), the details pane and the prompt (32 x 32).
#include "base/desktop_entry_index.h"

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>

#include <memory>

namespace qb {

// The icon of a program's desktop entry, else its file name as a theme icon, else the generic
// executable icon. Desktop entries are read and each program is matched on a worker thread; the UI
// thread only loads the found icon, once per program (results are cached per path). Until a program's
// answer arrives Icon() returns the generic icon and IconReady(path) follows. UI thread only.
class ProgramIcons : public QObject {
    Q_OBJECT
public:
    explicit ProgramIcons(QStringList applicationFolders, QObject* parent = nullptr);
    ~ProgramIcons() override;

    QPixmap Icon(const QString& path, int size);
    // The generic executable icon.
    QPixmap GenericIcon(int size) const;
    // True once the answer for `path` has arrived.
    bool Known(const QString& path) const { return m_iconNames.contains(path); }
    // Forgets the icons of every program but these (the ones in use); a program that comes back is looked
    // up again. Look-ups on their way are kept.
    void Retain(const QSet<QString>& paths);

signals:
    void IconReady(const QString& path);

private:
    void Resolved(const QString& path, const QString& iconName);

    struct Shared;
    std::shared_ptr<Shared> m_shared;
    QHash<QString, QString> m_iconNames; // path → icon name or file; empty: generic
    QHash<QString, QPixmap> m_pixmaps;   // path + size
    QSet<QString> m_pending;
};

} // namespace qb
