#include "monitor/details_pane.h"

#include "base/host_names.h"
#include "base/program_icons_gui.h"
#include "base/tcp_table.h"
#include "base/text_format.h"
#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/plain_text.h"
#include "platform/file_info_source.h"

#include <QCoreApplication>
#include <QLabel>

namespace qb {
namespace {

constexpr std::array<const char*, DetailsPane::kLabelCount> kInitialTexts{
    "Name: ",       "Path: ",        "Size: ",     "PID: ",     "Remote Host: ",
    "Local Port: ", "Remote Port: ", "Attempts: ", "Version: ",
};
constexpr int kLineHeight = 20;
constexpr int kTextLeft = 52;
constexpr int kRightColumn = 300;

// Where each element of Label7 sits: name and path on their own lines beside the icon, then two columns
// of short facts, then the remote host, which may be long.
constexpr std::array<QRect, DetailsPane::kLabelCount> kLabelGeometry{
    QRect(kTextLeft, 8, 500, kLineHeight),                            // Name
    QRect(kTextLeft, 8 + kLineHeight, 500, kLineHeight),              // Path
    QRect(kRightColumn, 56 + kLineHeight, 250, kLineHeight),          // Size
    QRect(kTextLeft, 56, 240, kLineHeight),                           // PID
    QRect(kTextLeft, 56 + 3 * kLineHeight, 500, kLineHeight),         // Remote Host
    QRect(kTextLeft, 56 + kLineHeight, 240, kLineHeight),             // Local Port
    QRect(kTextLeft, 56 + 2 * kLineHeight, 240, kLineHeight),         // Remote Port
    QRect(kRightColumn + 20, 56 + 2 * kLineHeight, 230, kLineHeight), // Attempts, beside Picture3
    QRect(kRightColumn, 56, 250, kLineHeight),                        // Version
};

} // namespace

struct DetailsPane::FileFactsAnswer {
    quint64 request = 0;
    QString path;
    bool isFile = false;
    QString version;
    QString size;
};

DetailsPane::DetailsPane(FileInfoSource& files, AttemptsOf attemptsOf, ProgramIcons& icons,
                         std::function<HostNames&()> iphDNS, QWidget* parent)
    : QWidget(parent), m_files(files), m_attemptsOf(std::move(attemptsOf)), m_icons(icons),
      m_iphDNS(std::move(iphDNS))
{
    resize(kSize);
    m_pool.setMaxThreadCount(1);
    CreateLabels();
    connect(&m_icons, &ProgramIcons::IconReady, this, &DetailsPane::OnIconReady);
}

DetailsPane::~DetailsPane()
{
    // Answers still on their way are dropped with this object's posted events.
    m_pool.waitForDone();
}

void DetailsPane::CreateLabels()
{
    m_pic32 = new QLabel(this);
    m_pic32->setGeometry(8, 8, 32, 32);
    for (int i = 0; i < kLabelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label7_%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        label->setText(QLatin1StringView(kInitialTexts[static_cast<std::size_t>(i)]));
        label->setGeometry(kLabelGeometry[static_cast<std::size_t>(i)]);
        m_label7[static_cast<std::size_t>(i)] = label;
    }
    m_picture3 = new QLabel(this);
    m_picture3->setPixmap(QPixmap::fromImage(ImageStringToImage(QLatin1StringView(images::kPicture3))));
    m_picture3->setGeometry(kRightColumn, 56 + 2 * kLineHeight + 2, 16, 16);
    // Until a program with a rule is shown there is no count to put after "Attempts: ".
    m_label7[7]->hide();
    m_picture3->hide();

    m_picture2 = new QLabel(QStringLiteral("Please Wait..."), this);
    m_picture2->setAlignment(Qt::AlignCenter);
    m_picture2->setAutoFillBackground(true);
    QPalette white = m_picture2->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_picture2->setPalette(white);
    m_picture2->setGeometry(0, 0, kSize.width(), kSize.height());
    m_picture2->hide();
}

HostNames& DetailsPane::Dictionary()
{
    HostNames& dictionary = m_iphDNS();
    if (m_dictionary != &dictionary) {
        if (m_dictionary)
            disconnect(m_dictionary, nullptr, this, nullptr);
        m_dictionary = &dictionary;
        connect(&dictionary, &HostNames::HostNameResolved, this, &DetailsPane::OnHostNameResolved);
    }
    return dictionary;
}

void DetailsPane::ShowConnection(const MonitorRow& row)
{
    m_picture2->raise();
    m_picture2->show();
    m_selected = row;
    SetOutsideText(m_label7[1], QStringLiteral("Path: "), row.path);
    m_label7[3]->setText(QStringLiteral("PID: ") + QString::number(row.pid));

    m_shownAddress = QString::fromStdString(FormatAddress(row.endpoints.remoteAddr));
    const QString hostName = m_iphDNS ? Dictionary().CheckDictionary(m_shownAddress) : m_shownAddress;
    SetOutsideText(m_label7[4], QStringLiteral("Remote Host: "),
                   hostName + QStringLiteral(" (") + m_shownAddress + QStringLiteral(")"));

    const Transport protocol = row.endpoints.protocol;
    m_label7[5]->setText(
        QStringLiteral("Local Port: ") +
        QString::fromStdString(PortText(TcpTable::PortNumber(row.endpoints.localPort), protocol)));
    m_label7[6]->setText(
        QStringLiteral("Remote Port: ") +
        QString::fromStdString(PortText(TcpTable::PortNumber(row.endpoints.remotePort), protocol)));
    SetOutsideText(m_label7[0], QStringLiteral("Name: "),
                   QString::fromStdString(ProgramName(row.path.toStdString())));

    // A row without a program has no rule, whatever a rule with an empty path might say.
    const std::optional<int32_t> attempts =
        row.path.isEmpty() || !m_attemptsOf ? std::nullopt : m_attemptsOf(row.path);
    if (attempts) {
        m_label7[7]->setText(QStringLiteral("Attempts: ") + QString::number(*attempts));
        m_picture3->show();
        m_label7[7]->show();
    } else {
        m_label7[7]->hide();
        m_picture3->hide();
    }
    ShowLargeIcon(row.path);
    ShowFileInfo(row.path);
}

void DetailsPane::Clear()
{
    m_selected = MonitorRow{};
    m_shownAddress.clear();
    ++m_fileRequest;
    for (std::size_t i = 0; i < m_label7.size(); ++i)
        m_label7[i]->setText(QLatin1StringView(kInitialTexts[i]));
    m_label7[7]->hide();
    m_picture3->hide();
    m_picture2->hide();
    ShowLargeIcon({});
}

void DetailsPane::ShowLargeIcon(const QString& path)
{
    m_iconPath = path;
    // An empty path must not leave the previous program's icon beside another connection.
    if (path.isEmpty())
        m_pic32->clear();
    else
        m_pic32->setPixmap(m_icons.Icon(path, 32));
}

void DetailsPane::OnIconReady(const QString& path)
{
    if (!path.isEmpty() && path == m_iconPath)
        m_pic32->setPixmap(m_icons.Icon(path, 32));
}

void DetailsPane::ShowFileInfo(const QString& path)
{
    const quint64 request = ++m_fileRequest;
    if (path.isEmpty()) {
        ApplyFileFacts(FileFactsAnswer{request, path, false, {}, {}});
        return;
    }
    // stat() on a hung network mount, or the first look into the package index, must not stall the
    // window: the facts are gathered on the pane's own worker.
    QPointer<DetailsPane> self(this);
    FileInfoSource* files = &m_files;
    m_pool.start([self, files, request, path] {
        FileFactsAnswer answer{request, path, false, {}, {}};
        const std::string file = path.toStdString();
        if (const auto facts = files->Stat(file); facts && !facts->isDirectory) {
            answer.isFile = true;
            answer.version = QString::fromStdString(FileVersionText(*files, file));
            answer.size = QString::fromStdString(FileSizeText(facts->size));
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, answer] {
                if (self)
                    self->ApplyFileFacts(answer);
            },
            Qt::QueuedConnection);
    });
}

void DetailsPane::ApplyFileFacts(const FileFactsAnswer& answer)
{
    if (answer.request != m_fileRequest)
        return;
    if (answer.isFile) {
        m_label7[8]->setText(QStringLiteral("Version: ") + answer.version);
        m_label7[2]->setText(QStringLiteral("Size: ") + answer.size);
    } else {
        // The file is gone (or never was): the previous program's facts must not stay beside this one.
        ClearFileLines();
        if (answer.path == m_iconPath)
            m_pic32->clear();
    }
    m_picture2->hide();
    emit FileInfoShown();
}

void DetailsPane::ClearFileLines()
{
    m_label7[8]->setText(QStringLiteral("Version: "));
    m_label7[2]->setText(QStringLiteral("Size: "));
}

void DetailsPane::OnHostNameResolved(const QString& address, const QString& name)
{
    if (address != m_shownAddress)
        return;
    SetOutsideText(m_label7[4], QStringLiteral("Remote Host: "),
                   name + QStringLiteral(" (") + address + QStringLiteral(")"));
}

} // namespace qb
