#pragma once
// The "Help" strip's links: the program's own HTML help and the vendor's web pages.
#include <QString>
#include <QUrl>

#include <functional>

namespace qb {

// Where the help and the vendor's site are; set at installation.
struct InstallationSettings {
    QString helpFile;      // absolute path of the HTML help
    QString vendorAddress; // the vendor's site root, http or https
};

// The built-in defaults: the help installed beside the program ("<prefix>/share/quillbrook/help/
// index.html" for the installed executable, or the same place relative to the running one when it has
// the file there) and "https://www.quillbrook.com".
InstallationSettings DefaultInstallationSettings();

// Reads "Quillbrook/installation.ini" from the first configuration folder that has it ($XDG_CONFIG_HOME,
// then $XDG_CONFIG_DIRS such as /etc/xdg): key "File" of group "Help" and "Address" of group "Vendor".
// A missing file or key, an empty value or an address that is not http or https takes the default.
InstallationSettings LoadInstallationSettings();

// Opens the links through a seam (QDesktopServices::openUrl in the program). A missing help file or
// browser is not reported. UI thread only.
class HelpLinks {
public:
    using OpenUrl = std::function<void(const QUrl&)>;

    explicit HelpLinks(OpenUrl openUrl, InstallationSettings settings = LoadInstallationSettings());

    // "Help" strip entries 1 "Help topics", 2 "Visit homepage", 3 "About"; other numbers do nothing.
    void ButtonClick(int entry) const;
    void HelpTopics() const;
    void VisitHomepage() const;
    void About() const;

    QUrl HelpUrl() const;
    QUrl HomepageUrl() const;
    QUrl AboutUrl() const;

private:
    QUrl VendorPage(const QString& path) const;

    OpenUrl m_openUrl;
    InstallationSettings m_settings;
};

} // namespace qb
