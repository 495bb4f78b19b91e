#include "traffic/data_transfer_page.h"

#include "controls/page_geometry.h"
#include "controls/page_title.h"
#include "controls/plain_text.h"
#include "traffic/picture_surface_widget.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace qb {
namespace {

constexpr int kRowHeight = 22;
constexpr int kCaptionWidth = 108;
constexpr int kColumnWidth = 272;
constexpr int kSecondColumn = kPageMargin + kColumnWidth + 16;
constexpr int kCountersTop = kPageContentTop + 66;
// A plot of 560 x 220 gives grid cells of 28 x 22 pixels; the surface adds its one-pixel frame, and the
// whole sits centred across the page.
constexpr QSize kGraphScale(560, 220);
constexpr int kGraphLeft = (kPageSize.width() - kGraphScale.width() - 3) / 2;
constexpr int kGraphTop = kCountersTop + 4 * kRowHeight + 14;

const QColor kCaptionColour(90, 90, 90);

} // namespace

DataTransferPage::DataTransferPage(QWidget* parent) : UserControl2(parent)
{
    setObjectName(QStringLiteral("DataTransferPage"));
    setFont(PageFont(12, false));
    resize(kPageSize);
    AddPageTitle(this, QStringLiteral("Data transfer"));
    CreateConnectionRow();
    CreateCounters();
    CreateGraph();
}

void DataTransferPage::ShowLabels(const TrafficLabels& labels)
{
    for (const TrafficLabels::Field& field : TrafficLabels::kFields) {
        // Label16, Label10 and Label11 live on the Options page.
        if (auto* label = findChild<QLabel*>(QLatin1StringView(field.name)))
            SetOutsideText(label, {}, labels.*field.text);
    }
}

void DataTransferPage::SetConnectionList(const ConnectionTypeList& list)
{
    const QSignalBlocker blocker(m_cboConnectionType);
    m_cboConnectionType->clear();
    for (const QString& entry : list.entries)
        m_cboConnectionType->addItem(EscapeControlCharacters(entry));
    const bool inRange = list.selected >= 0 && list.selected < m_cboConnectionType->count();
    m_cboConnectionType->setCurrentIndex(inRange ? list.selected : -1);
}

void DataTransferPage::CreateConnectionRow()
{
    const int top = kPageContentTop + 8;
    AddCaption(QStringLiteral("Connection type:"), QPoint(kPageMargin, top + 3), kCaptionWidth);
    m_cboConnectionType = new QComboBox(this);
    m_cboConnectionType->setObjectName(QStringLiteral("cboConnectionType"));
    m_cboConnectionType->setGeometry(kPageMargin + kCaptionWidth, top, 400, 24);
    connect(m_cboConnectionType, &QComboBox::currentIndexChanged, this,
            &DataTransferPage::ConnectionSelected);
    AddCaption(QStringLiteral("Interface:"), QPoint(kPageMargin, top + 32), kCaptionWidth);
    m_lblType = AddValue("lblType", QPoint(kPageMargin + kCaptionWidth, top + 32),
                         kPageSize.width() - 2 * kPageMargin - kCaptionWidth);
}

void DataTransferPage::CreateCounters()
{
    const int valueWidth = kColumnWidth - kCaptionWidth;
    int top = kCountersTop;
    AddCaption(QStringLiteral("Received:"), QPoint(kPageMargin, top), kCaptionWidth);
    m_lblRecv = AddValue("lblRecv", QPoint(kPageMargin + kCaptionWidth, top), valueWidth);
    AddCaption(QStringLiteral("Sent:"), QPoint(kSecondColumn, top), kCaptionWidth);
    m_lblSent = AddValue("lblSent", QPoint(kSecondColumn + kCaptionWidth, top), valueWidth);
    top += kRowHeight;
    AddCaption(QStringLiteral("Download speed:"), QPoint(kPageMargin, top), kCaptionWidth);
    m_lblDSpeed = AddValue("lblDSpeed", QPoint(kPageMargin + kCaptionWidth, top), valueWidth);
    AddCaption(QStringLiteral("Upload speed:"), QPoint(kSecondColumn, top), kCaptionWidth);
    m_lblUSpeed = AddValue("lblUSpeed", QPoint(kSecondColumn + kCaptionWidth, top), valueWidth);
    // The maximum and average texts carry their own captions.
    top += kRowHeight;
    m_lblDownloadSpeedTop = AddValue("lblDownloadSpeedTop", QPoint(kPageMargin, top), kColumnWidth);
    m_lblUploadSpeedTop = AddValue("lblUploadSpeedTop", QPoint(kSecondColumn, top), kColumnWidth);
    top += kRowHeight;
    m_lblDownloadSpeedAverage = AddValue("lblDownloadSpeedAverage", QPoint(kPageMargin, top), kColumnWidth);
    m_lblUploadSpeedAverage = AddValue("lblUploadSpeedAverage", QPoint(kSecondColumn, top), kColumnWidth);
}

void DataTransferPage::CreateGraph()
{
    m_pic1 = new PictureSurface(this);
    m_pic1->setObjectName(QStringLiteral("PIC1"));
    m_pic1->SetBorderStyle(1);
    m_pic1->setGeometry(kGraphLeft, kGraphTop, kGraphScale.width() + 3, kGraphScale.height() + 3);
    // Black like the graph's own background, so the page looks settled before the first drawing.
    m_pic1->SetBackColor(0);
    m_pic1->SetAutoRedraw(true);
}

QLabel* DataTransferPage::AddCaption(const QString& text, QPoint at, int width)
{
    auto* caption = new QLabel(text, this);
    caption->setTextFormat(Qt::PlainText);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, kCaptionColour);
    caption->setPalette(palette);
    caption->setGeometry(at.x(), at.y(), width, kRowHeight - 4);
    return caption;
}

QLabel* DataTransferPage::AddValue(const char* name, QPoint at, int width)
{
    auto* value = new QLabel(this);
    value->setObjectName(QLatin1StringView(name));
    value->setTextFormat(Qt::PlainText);
    value->setGeometry(at.x(), at.y(), width, kRowHeight - 4);
    return value;
}

} // namespace qb
