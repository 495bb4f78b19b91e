#pragma once
// The details pane of the Monitoring page: the clicked connection's program, process, remote host and
// ports, the program's large icon, file version and size, and its attempts count when it has a rule.
#include "monitor/connection_monitor.h"

#include <QPointer>
#include <QThreadPool>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;

namespace qb {

class FileInfoSource;
class HostNames;
class ProgramIcons;

// Shows a snapshot of the row as it was built; later refreshes of the list do not change it, but the
// remote host's name fills in when the name cache learns it, and the icon when it is found. The file's
// facts are read on a worker thread: "Please Wait..." covers the pane from the click until they are in,
// and the window never waits for them. Outside text is shown as plain text. UI thread only.
class DetailsPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLabelCount = 9;
    static constexpr QSize kSize{560, 184};

    // The attempts count of the program's rule, or nothing when it has none.
    using AttemptsOf = std::function<std::optional<int32_t>(const QString& path)>;

    // `iphDNS` gives the main window's name cache, created on first use; it is first asked on the first
    // row click. Every reference must outlive the pane.
    DetailsPane(FileInfoSource& files, AttemptsOf attemptsOf, ProgramIcons& icons,
                std::function<HostNames&()> iphDNS, QWidget* parent = nullptr);
    ~DetailsPane() override;

    // A row click: fills every line from `row`.
    void ShowConnection(const MonitorRow& row);
    // No row is selected: every line back to its bare caption, no icon, no attempts line; answers still on
    // their way for the earlier row are dropped.
    void Clear();
    // Shows the program's 32 x 32 icon; an empty path clears it.
    void ShowLargeIcon(const QString& path);
    // Fills the "Version: " and "Size: " lines; an empty path, a missing file or a folder clears them
    // (and the icon of that path). The lines change when the facts arrive from the worker.
    void ShowFileInfo(const QString& path);

    // Elements 0 to 8: Name, Path, Size, PID, Remote Host, Local Port, Remote Port, Attempts, Version.
    QLabel* Label7(int index) const { return m_label7.at(static_cast<std::size_t>(index)); }
    QLabel* Pic32() const { return m_pic32; }
    QLabel* Picture3() const { return m_picture3; }
    QLabel* Picture2() const { return m_picture2; }
    // The row the pane was last filled from.
    const MonitorRow& SelectedConnection() const { return m_selected; }

signals:
    // The file facts of the last request are shown and "Please Wait..." is gone.
    void FileInfoShown();

private:
    struct FileFactsAnswer;
    void CreateLabels();
    void ApplyFileFacts(const FileFactsAnswer& answer);
    void ClearFileLines();
    void OnHostNameResolved(const QString& address, const QString& name);
    void OnIconReady(const QString& path);
    HostNames& Dictionary();

    FileInfoSource& m_files;
    AttemptsOf m_attemptsOf;
    ProgramIcons& m_icons;
    std::function<HostNames&()> m_iphDNS;
    QPointer<HostNames> m_dictionary; // the cache whose answers the pane follows

    std::array<QLabel*, kLabelCount> m_label7{};
    QLabel* m_pic32 = nullptr;
    QLabel* m_picture3 = nullptr;
    QLabel* m_picture2 = nullptr;

    MonitorRow m_selected;
    QString m_shownAddress; // the address on the "Remote Host: " line
    QString m_iconPath;     // the program whose icon Pic32 shows
    quint64 m_fileRequest = 0;
    QThreadPool m_pool;
};

} // namespace qb
