#include "monitor/monitoring_page.h"

#include "base/program_icons_gui.h"
#include "base/text_format.h"
#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/page_geometry.h"
#include "controls/page_title.h"
#include "controls/plain_text.h"
#include "controls/user_control2.h"
#include "controls/user_control7.h"
#include "monitor/details_pane.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTreeWidget>

namespace qb {
namespace {

constexpr int kRowRole = Qt::UserRole + 1;  // index into the page's rows
constexpr int kPathRole = Qt::UserRole + 2; // the program whose icon the row shows

// What names the connection and process a row was built from.
QByteArray RowKey(const MonitorRow& row)
{
    QByteArray key;
    key.reserve(80);
    const auto add = [&key](const auto& value) {
        key.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    const TcpEndpoints& ends = row.endpoints;
    for (const IpAddress* address : {&ends.localAddr, &ends.remoteAddr}) {
        add(address->family);
        add(address->bytes);
        add(address->scopeId);
    }
    add(ends.protocol);
    add(ends.localPort);
    add(ends.remotePort);
    add(ends.interfaceIndex);
    add(ends.cookie);
    add(row.pid);
    return key;
}
constexpr QRect kListGeometry{kPageMargin, kPageContentTop, 560, 180};
constexpr int kButtonTop = kPageContentTop + 180 + 8;
constexpr int kButtonWidth = 140;
constexpr QPoint kPaneOrigin{kPageMargin, kButtonTop + 24 + 8};

} // namespace

MonitoringPage::MonitoringPage(MonitoringServices services, QWidget* parent)
    : QWidget(parent), m_pingAddress(services.ping), m_icons(services.icons),
      m_actions(services.tcpTable, services.terminator)
{
    setFixedSize(kPageSize);
    m_banner = new UserControl2(this);
    m_banner->setGeometry(QRect(QPoint(0, 0), kPageSize));
    m_pool.setMaxThreadCount(1);
    m_question = QPixmap::fromImage(ImageStringToImage(QLatin1StringView(images::kPicQuestion)));
    AddPageTitle(m_banner, QStringLiteral("Monitoring"));
    CreateList();
    CreateButtons();
    m_pane = new DetailsPane(services.files, services.attemptsOf, services.icons, std::move(services.iphDNS),
                             m_banner);
    m_pane->move(kPaneOrigin);
    // The question names a file, which may carry control characters.
    m_actions.AskYesNo = [this](const QString& question) {
        return AskYesNo && AskYesNo(EscapeControlCharacters(question));
    };
    connect(&m_icons, &ProgramIcons::IconReady, this, &MonitoringPage::OnIconReady);
}

MonitoringPage::~MonitoringPage()
{
    m_pool.waitForDone();
}

void MonitoringPage::CreateList()
{
    m_list = new QTreeWidget(m_banner);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setGeometry(kListGeometry);
    m_list->setColumnCount(2);
    m_list->setHeaderHidden(true);
    m_list->header()->setStretchLastSection(false);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setIconSize(QSize(16, 16));
    m_list->setColumnWidth(0, kColumn1Width);
    m_list->setColumnWidth(1, kListGeometry.width() - kColumn1Width - kColumn2Margin);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { OnItemClicked(item); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (SelectedRow() == nullptr)
            m_pane->Clear();
    });
    connect(m_list, &QTreeWidget::customContextMenuRequested, this, &MonitoringPage::OnContextMenu);

    auto* offline = new QLabel(QStringLiteral("No connection was found"), m_banner);
    offline->setObjectName(QStringLiteral("Picture4"));
    offline->setAlignment(Qt::AlignCenter);
    offline->setAutoFillBackground(true);
    offline->setGeometry(kListGeometry);
    offline->hide();
    m_picture4 = offline;

    m_menu = new QMenu(this);
    m_ping = m_menu->addAction(QStringLiteral("Ping"));
    connect(m_ping, &QAction::triggered, this, [this] { Ping(m_menuRow); });
}

void MonitoringPage::CreateButtons()
{
    m_closeConnection = new UserControl7(m_banner);
    m_closeConnection->setGeometry(kPageMargin, kButtonTop, kButtonWidth, 24);
    m_closeConnection->SetCaption(QStringLiteral("Zatvor pripojenie"));
    m_closeProgram = new UserControl7(m_banner);
    m_closeProgram->setGeometry(kPageMargin + kButtonWidth + 8, kButtonTop, kButtonWidth, 24);
    m_closeProgram->SetCaption(QStringLiteral("Zatvor program"));
    for (UserControl7* button : {m_closeConnection, m_closeProgram}) {
        button->SetEnabled(false);
        button->SubClassMe();
    }
    connect(m_closeConnection, &UserControl7::Click, this, &MonitoringPage::CloseSelectedConnection);
    connect(m_closeProgram, &UserControl7::Click, this, &MonitoringPage::CloseSelectedProgram);
}

bool MonitoringPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::FocusIn) {
        EnableButtons();
    } else if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        // A click into the list is the list taking the focus, even where the window system is slow
        // to say so.
        EnableButtons();
    }
    return QWidget::eventFilter(watched, event);
}

void MonitoringPage::EnableButtons()
{
    if (!m_closeConnection->Enabled())
        m_closeConnection->SetEnabled(true);
    if (!m_closeProgram->Enabled())
        m_closeProgram->SetEnabled(true);
}

void MonitoringPage::SetRows(const std::vector<MonitorRow>& rows)
{
    const bool hadSelection = SelectedRow() != nullptr;
    // Updating is not the user choosing a row: the pane keeps what it shows while its row stays.
    const QSignalBlocker blocker(m_list);
    // The list is changed in place: a row built from the same connection and process keeps its item (and
    // with it the selection); only rows that came or went, or changed, cost any work.
    QHash<QByteArray, QTreeWidgetItem*> items;
    QSet<QByteArray> wanted;
    for (const MonitorRow& row : rows)
        wanted.insert(RowKey(row));
    for (int i = m_list->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        const MonitorRow* row = RowOf(item);
        const QByteArray key = row != nullptr ? RowKey(*row) : QByteArray();
        if (row == nullptr || !wanted.contains(key) || items.contains(key)) {
            // The view would make a neighbour current, and selected, in place of the row that goes.
            if (item == m_list->currentItem())
                m_list->setCurrentItem(nullptr);
            delete m_list->takeTopLevelItem(i);
        } else
            items.insert(key, item);
    }
    m_rows = rows;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const MonitorRow& row = m_rows[i];
        const int position = static_cast<int>(i);
        QTreeWidgetItem* item = items.take(RowKey(row));
        if (item == nullptr) {
            item = new QTreeWidgetItem;
            m_list->insertTopLevelItem(position, item);
        } else if (m_list->topLevelItem(position) != item) {
            // Taken out, the current item would hand the selection to a neighbour.
            const bool current = item == m_list->currentItem();
            if (current)
                m_list->setCurrentItem(nullptr);
            m_list->insertTopLevelItem(position, m_list->takeTopLevelItem(m_list->indexOfTopLevelItem(item)));
            if (current)
                m_list->setCurrentItem(item);
        }
        ShowRow(item, row, i);
    }
    if (hadSelection && SelectedRow() == nullptr)
        m_pane->Clear(); // the selected connection is gone: nothing is selected any more
    m_list->setColumnWidth(0, kColumn1Width);
    m_list->setColumnWidth(1, m_list->width() - kColumn1Width - kColumn2Margin);
    QSet<QString> paths;
    for (const MonitorRow& row : m_rows)
        paths.insert(row.path);
    m_icons.Retain(paths);
}

void MonitoringPage::ShowRow(QTreeWidgetItem* item, const MonitorRow& row, std::size_t index)
{
    // Each setter tells the view of a change, even to the same value: only what differs is set.
    const QString text = EscapeControlCharacters(row.text);
    if (item->text(0) != text)
        item->setText(0, text);
    if (item->text(1) != row.remote)
        item->setText(1, row.remote);
    if (item->data(0, kTagRole) != static_cast<int>(row.slot))
        item->setData(0, kTagRole, static_cast<int>(row.slot));
    const QVariant previousIndex = item->data(0, kRowRole);
    const bool fresh = !previousIndex.isValid();
    if (previousIndex != static_cast<qulonglong>(index))
        item->setData(0, kRowRole, static_cast<qulonglong>(index));
    if (fresh || item->data(0, kPathRole).toString() != row.path) {
        item->setData(0, kPathRole, row.path);
        item->setIcon(0, row.path.isEmpty() ? QIcon(m_question) : QIcon(m_icons.Icon(row.path, 16)));
    }
}

void MonitoringPage::SetOffline(bool offline)
{
    m_picture4->setVisible(offline);
    if (offline)
        m_picture4->raise();
}

void MonitoringPage::ClearList()
{
    SetRows({});
}

const MonitorRow* MonitoringPage::RowOf(const QTreeWidgetItem* item) const
{
    if (item == nullptr)
        return nullptr;
    bool ok = false;
    const qulonglong index = item->data(0, kRowRole).toULongLong(&ok);
    return ok && index < m_rows.size() ? &m_rows[index] : nullptr;
}

const MonitorRow* MonitoringPage::SelectedRow() const
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? nullptr : RowOf(selected.front());
}

void MonitoringPage::OnCurrentItemChanged(QTreeWidgetItem* current)
{
    // A mouse press makes the row current before it selects it, and taking the focus makes the first
    // row current without selecting it: only keyboard moves arrive here already selected. Clicks are
    // handled on release.
    if (current != nullptr && current->isSelected()) {
        if (const MonitorRow* row = RowOf(current))
            m_pane->ShowConnection(*row);
    }
}

void MonitoringPage::OnItemClicked(QTreeWidgetItem* item)
{
    if (const MonitorRow* row = RowOf(item))
        m_pane->ShowConnection(*row);
}

void MonitoringPage::OnIconReady(const QString& path)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        const MonitorRow* row = RowOf(item);
        if (row != nullptr && row->path == path)
            item->setIcon(0, QIcon(m_icons.Icon(path, 16)));
    }
}

void MonitoringPage::CloseSelectedConnection()
{
    // The result is not shown; the row goes with the next refresh that sees the table change.
    if (const MonitorRow* row = SelectedRow())
        (void)m_actions.CloseConnection(*row);
}

void MonitoringPage::CloseSelectedProgram()
{
    // Copied first: answering the question runs the event loop, and a refresh may replace the rows.
    if (const MonitorRow* row = SelectedRow()) {
        const MonitorRow chosen = *row;
        (void)m_actions.CloseProgram(chosen);
    }
}

void MonitoringPage::OnContextMenu(const QPoint& position)
{
    const MonitorRow* row = RowOf(m_list->itemAt(position));
    if (row == nullptr)
        return;
    m_menuRow = *row;
    // The echo speaks ICMP for IPv4 only.
    m_ping->setEnabled(!row->endpoints.remoteAddr.IsIPv6());
    m_menu->popup(m_list->viewport()->mapToGlobal(position));
}

void MonitoringPage::Ping(const MonitorRow& row)
{
    if (row.endpoints.remoteAddr.IsIPv6())
        return;
    const QString address = QString::fromStdString(FormatAddress(row.endpoints.remoteAddr));
    QPointer<MonitoringPage> self(this);
    // An echo waits up to half a second for its reply: never on the UI thread.
    m_pool.start([self, ping = m_pingAddress, address] {
        const std::optional<QString> text = ping ? ping(address) : std::nullopt;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, text] {
                if (!self || !text)
                    return;
                if (self->ShowMessage)
                    self->ShowMessage(*text);
                emit self->PingAnswered(*text);
            },
            Qt::QueuedConnection);
    });
}

} // namespace qb
