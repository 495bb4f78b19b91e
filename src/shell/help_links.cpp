#include "shell/help_links.h"

#include "shell/shortcut.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <utility>

namespace qb {
namespace {

const QLatin1StringView kDefaultVendor("https://www.quillbrook.com");
const QLatin1StringView kHelpBelowPrefix("share/quillbrook/help/index.html");

// The help below the prefix that holds `executableFolder` (<prefix>/bin).
QString HelpBeside(const QString& executableFolder)
{
    return QDir::cleanPath(executableFolder + QLatin1StringView("/../") + kHelpBelowPrefix);
}

bool IsWebAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1StringView("https") || url.scheme() == QLatin1StringView("http"));
}

} // namespace

InstallationSettings DefaultInstallationSettings()
{
    InstallationSettings settings;
    settings.helpFile = HelpBeside(QFileInfo(InstalledExecutable()).path());
    // A copy unpacked elsewhere (or run from its own prefix) uses its own help.
    if (QCoreApplication::instance()) {
        const QString own = HelpBeside(QCoreApplication::applicationDirPath());
        if (QFileInfo::exists(own))
            settings.helpFile = own;
    }
    settings.vendorAddress = kDefaultVendor;
    return settings;
}

InstallationSettings LoadInstallationSettings()
{
    InstallationSettings settings = DefaultInstallationSettings();
    const QString path = QStandardPaths::locate(QStandardPaths::GenericConfigLocation,
                                                QStringLiteral("Quillbrook/installation.ini"));
    if (path.isEmpty())
        return settings;
    const QSettings file(path, QSettings::IniFormat);
    const QString help = file.value(QStringLiteral("Help/File")).toString();
    if (!help.isEmpty())
        settings.helpFile = help;
    const QString vendor = file.value(QStringLiteral("Vendor/Address")).toString();
    if (IsWebAddress(vendor))
        settings.vendorAddress = vendor;
    return settings;
}

HelpLinks::HelpLinks(OpenUrl openUrl, InstallationSettings settings)
    : m_openUrl(std::move(openUrl)), m_settings(std::move(settings))
{
    if (!IsWebAddress(m_settings.vendorAddress))
        m_settings.vendorAddress = kDefaultVendor;
}

void HelpLinks::ButtonClick(int entry) const
{
    switch (entry) {
    case 1:
        HelpTopics();
        break;
    case 2:
        VisitHomepage();
        break;
    case 3:
        About();
        break;
    default:
        break;
    }
}

void HelpLinks::HelpTopics() const
{
    if (m_openUrl)
        m_openUrl(HelpUrl());
}

void HelpLinks::VisitHomepage() const
{
    if (m_openUrl)
        m_openUrl(HomepageUrl());
}

void HelpLinks::About() const
{
    if (m_openUrl)
        m_openUrl(AboutUrl());
}

QUrl HelpLinks::HelpUrl() const
{
    return QUrl::fromLocalFile(m_settings.helpFile);
}

QUrl HelpLinks::HomepageUrl() const
{
    return VendorPage(QStringLiteral("/"));
}

QUrl HelpLinks::AboutUrl() const
{
    return VendorPage(QStringLiteral("/content/view/36/63/"));
}

QUrl HelpLinks::VendorPage(const QString& path) const
{
    QString root = m_settings.vendorAddress;
    while (root.endsWith(u'/'))
        root.chop(1);
    return QUrl(root + path);
}

} // namespace qb
