#pragma once
// The Data transfer page: the connection type list, the traffic counters and rates, and the graph surface.
#include "controls/user_control2.h"
#include "traffic/transfer_meter.h"

class QComboBox;
class QLabel;

namespace qb {

class PictureSurface;

// A view of exactly kPageSize whose banner fills it. It shows what it is given and reports the user's
// choice of connection; the meter, the graph and the timers belong to the window that owns the page.
// UI thread only.
class DataTransferPage : public UserControl2 {
    Q_OBJECT
public:
    explicit DataTransferPage(QWidget* parent = nullptr);

    // Copies every label text of the page as plain text, control characters escaped.
    void ShowLabels(const TrafficLabels& labels);
    // Refills cboConnectionType and selects `list.selected` (none when out of range) without raising
    // ConnectionSelected: the list is rebuilt by the meter, not chosen by the user.
    void SetConnectionList(const ConnectionTypeList& list);

    // The surface the traffic graph draws on.
    PictureSurface* PIC1() const { return m_pic1; }
    QComboBox* cboConnectionType() const { return m_cboConnectionType; }
    QLabel* lblType() const { return m_lblType; }
    QLabel* lblRecv() const { return m_lblRecv; }
    QLabel* lblSent() const { return m_lblSent; }
    QLabel* lblDownloadSpeedTop() const { return m_lblDownloadSpeedTop; }
    QLabel* lblUploadSpeedTop() const { return m_lblUploadSpeedTop; }
    QLabel* lblDownloadSpeedAverage() const { return m_lblDownloadSpeedAverage; }
    QLabel* lblUploadSpeedAverage() const { return m_lblUploadSpeedAverage; }
    QLabel* lblDSpeed() const { return m_lblDSpeed; }
    QLabel* lblUSpeed() const { return m_lblUSpeed; }

signals:
    // The user chose entry `position` of cboConnectionType; -1 when the list became empty.
    void ConnectionSelected(int position);

private:
    void CreateConnectionRow();
    void CreateCounters();
    void CreateGraph();
    QLabel* AddCaption(const QString& text, QPoint at, int width);
    QLabel* AddValue(const char* name, QPoint at, int width);

    QComboBox* m_cboConnectionType = nullptr;
    QLabel* m_lblType = nullptr;
    QLabel* m_lblRecv = nullptr;
    QLabel* m_lblSent = nullptr;
    QLabel* m_lblDownloadSpeedTop = nullptr;
    QLabel* m_lblUploadSpeedTop = nullptr;
    QLabel* m_lblDownloadSpeedAverage = nullptr;
    QLabel* m_lblUploadSpeedAverage = nullptr;
    QLabel* m_lblDSpeed = nullptr;
    QLabel* m_lblUSpeed = nullptr;
    PictureSurface* m_pic1 = nullptr;
};

} // namespace qb
