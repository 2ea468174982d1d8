#include "ui/history/historywindow.h"

#include "store/historyservice.h"
#include "ui/history/controllerlistmodel.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Typing in the filter asks the database once the typing pauses.
constexpr int kFilterPauseMs = 250;
constexpr int kWidth = 1000;
constexpr int kHeight = 640;

template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QTableWidget *table(const QStringList &headers, const char *name)
{
    auto *t = named(new QTableWidget(0, int(headers.size())), name);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QString shownTime(const QDateTime &utc)
{
    return utc.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

void setRow(QTableWidget *t, int row, const QStringList &texts)
{
    for (int column = 0; column < texts.size(); ++column)
        t->setItem(row, column, new QTableWidgetItem(texts.at(column)));
}

} // namespace

HistoryWindow::HistoryWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(tr("История настроек"));
    resize(kWidth, kHeight);

    filterEdit = named(new QLineEdit, "filterEdit");
    filterEdit->setPlaceholderText(tr("Серийный номер или любой текст настроек"));
    filterEdit->setClearButtonEnabled(true);
    controllerList = new ControllerListModel(this);
    controllersTable = named(new QTableView, "controllersTable");
    controllersTable->setModel(controllerList);
    controllersTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    controllersTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    controllersTable->setSelectionMode(QAbstractItemView::SingleSelection);
    controllersTable->verticalHeader()->hide();
    controllersTable->horizontalHeader()->setStretchLastSection(true);
    versionsTable = table({tr("Версия"), tr("Время"), tr("Что сделано"), tr("Кто"),
                           tr("Изменения")},
                          "versionsTable");
    versionsTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    versionsTable->setToolTip(tr("Выберите две версии, чтобы сравнить их, или одну, чтобы "
                                 "сравнить с предыдущей"));
    diffView = named(new QPlainTextEdit, "diffView");
    diffView->setReadOnly(true);
    restoreButton = named(new QPushButton(tr("Загрузить в таблицы")), "restoreButton");
    restoreButton->setEnabled(false);
    stateLabel = named(new QLabel, "stateLabel");
    stateLabel->setWordWrap(true);

    auto *left = new QWidget;
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(filterEdit);
    leftLayout->addWidget(controllersTable);
    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(versionsTable);
    right->addWidget(diffView);
    auto *split = new QSplitter(Qt::Horizontal);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(stateLabel, 1);
    bottom->addWidget(restoreButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);

    filterTimer = new QTimer(this);
    filterTimer->setSingleShot(true);
    filterTimer->setInterval(kFilterPauseMs);
    connect(filterEdit, &QLineEdit::textChanged, filterTimer, qOverload<>(&QTimer::start));
    connect(filterTimer, &QTimer::timeout, this, &HistoryWindow::refresh);
    connect(controllersTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &HistoryWindow::controllerChosen);
    connect(versionsTable, &QTableWidget::itemSelectionChanged, this,
            &HistoryWindow::versionsChosen);
    connect(restoreButton, &QPushButton::clicked, this, [this] {
        const QList<int> chosen = chosenVersions();
        if (chosen.size() == 1)
            emit requestDocument(versionsSerial, chosen.first());
    });
}

HistoryWindow::~HistoryWindow()
{
    storeThread.quit();
    storeThread.wait();
}

void HistoryWindow::setLocation(const HistoryLocation &location)
{
    if (service)
        return;
    service = new HistoryService(location);
    service->moveToThread(&storeThread);
    connect(&storeThread, &QThread::finished, service, &QObject::deleteLater);
    connect(this, &HistoryWindow::requestStore, service, &HistoryService::storeSnapshot);
    connect(this, &HistoryWindow::requestControllers, service, &HistoryService::listControllers);
    connect(this, &HistoryWindow::requestVersions, service, &HistoryService::listVersions);
    connect(this, &HistoryWindow::requestComparison, service, &HistoryService::compareVersions);
    connect(this, &HistoryWindow::requestDocument, service, &HistoryService::fetchDocument);
    connect(service, &HistoryService::controllersListed, this, &HistoryWindow::showControllers);
    connect(service, &HistoryService::versionsListed, this, &HistoryWindow::showVersions);
    connect(service, &HistoryService::versionsCompared, this, &HistoryWindow::showComparison);
    connect(service, &HistoryService::documentFetched, this, &HistoryWindow::documentArrived);
    connect(service, &HistoryService::unavailable, this, [this](const QString &text) {
        stateLabel->setText(text);
        emit unavailable(text);
    });
    connect(service, &HistoryService::stored, this,
            [this](const QString &serial, int version, bool added) {
                emit snapshotStored(serial, version, added);
                if (isVisible())
                    refresh();
            });
    storeThread.setObjectName(QStringLiteral("history"));
    storeThread.start();
}

void HistoryWindow::setConnectedController(const QString &serial, bool tabsRead)
{
    connectedSerial = serial;
    connectedTabsRead = tabsRead;
    updateRestoreButton();
}

void HistoryWindow::storeSnapshot(const QJsonObject &document, SnapshotMeta::Kind kind)
{
    if (service)
        emit requestStore(document, kind);
}

void HistoryWindow::showWindow()
{
    show();
    raise();
    activateWindow();
    refresh();
}

void HistoryWindow::refresh()
{
    if (!service) {
        stateLabel->setText(tr("История настроек не ведется."));
        return;
    }
    emit requestControllers(filterEdit->text().trimmed(), ++lastRequest);
    if (!versionsSerial.isEmpty())
        emit requestVersions(versionsSerial);
}

void HistoryWindow::showControllers(int request, const QList<ControllerEntry> &controllers)
{
    // An answer to a filter typed over since is dropped.
    if (request != lastRequest)
        return;
    const QString kept = chosenSerial();
    {
        const QSignalBlocker blocker(controllersTable->selectionModel());
        controllerList->setControllers(controllers);
        const int row = controllerList->rowOf(kept);
        if (row >= 0)
            controllersTable->selectRow(row);
    }
    stateLabel->setText(tr("Контроллеров: %1").arg(controllers.size()));
}

void HistoryWindow::controllerChosen()
{
    const QString serial = chosenSerial();
    if (serial.isEmpty() || serial == versionsSerial)
        return;
    versionsSerial = serial;
    versionsTable->setRowCount(0);
    diffView->clear();
    updateRestoreButton();
    emit requestVersions(serial);
}

void HistoryWindow::showVersions(const QString &serial, const QList<VersionEntry> &versions)
{
    if (serial != versionsSerial)
        return;
    const QList<int> kept = chosenVersions();
    const QSignalBlocker blocker(versionsTable);
    versionsTable->setRowCount(int(versions.size()));
    // Newest first: the state before the last write is one row down.
    for (int i = 0; i < versions.size(); ++i) {
        const VersionEntry &v = versions.at(versions.size() - 1 - i);
        setRow(versionsTable, i,
               {QString::number(v.number), shownTime(v.takenAt), SnapshotMeta::kindText(v.kind),
                v.user + QLatin1Char('@') + v.host, v.summary});
        versionsTable->item(i, NumberColumn)->setData(Qt::UserRole, v.number);
        if (kept.contains(v.number))
            versionsTable->selectionModel()->select(
                versionsTable->model()->index(i, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    versionsTable->resizeColumnsToContents();
    updateRestoreButton();
}

void HistoryWindow::versionsChosen()
{
    const QList<int> chosen = chosenVersions();
    updateRestoreButton();
    if (chosen.isEmpty() || chosen.size() > 2) {
        diffView->clear();
        return;
    }
    // One version: what it changed against the one before it.
    const int a = chosen.size() == 2 ? chosen.first() : chosen.first() - 1;
    const int b = chosen.last();
    if (a < 1) {
        diffView->setPlainText(tr("Первая версия этого контроллера."));
        return;
    }
    emit requestComparison(versionsSerial, a, b);
}

void HistoryWindow::showComparison(const QString &serial, int a, int b, const QStringList &lines)
{
    if (serial != versionsSerial)
        return;
    diffView->setPlainText(tr("Версия %1 → версия %2\n").arg(a).arg(b)
                           + (lines.isEmpty() ? tr("Настройки не различаются.")
                                              : lines.join(QLatin1Char('\n'))));
}

void HistoryWindow::documentArrived(const QString &serial, int version, const QJsonObject &document)
{
    Q_UNUSED(version);
    // The controller may have changed while the database answered.
    if (serial == connectedSerial && connectedTabsRead)
        emit restoreRequested(document);
}

void HistoryWindow::updateRestoreButton()
{
    const bool oneVersion = chosenVersions().size() == 1;
    const bool connected = !versionsSerial.isEmpty() && versionsSerial == connectedSerial;
    restoreButton->setEnabled(oneVersion && connected && connectedTabsRead);
    restoreButton->setToolTip(
        !connected ? tr("Загрузить можно только в подключенный контроллер с тем же серийным номером")
        : !connectedTabsRead
            ? tr("Сначала считайте настройки всех трех вкладок с контроллера")
            : tr("Показать настройки выбранной версии в таблицах; на контроллер они попадут "
                 "после записи"));
}

QString HistoryWindow::chosenSerial() const
{
    const QModelIndexList rows = controllersTable->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : controllerList->serialAt(rows.first().row());
}

QList<int> HistoryWindow::chosenVersions() const
{
    QList<int> numbers;
    for (const QModelIndex &index : versionsTable->selectionModel()->selectedRows(NumberColumn))
        numbers << index.data(Qt::UserRole).toInt();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}
