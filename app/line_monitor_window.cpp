#include "app/line_monitor_window.h"

#include "app/file_dialogs.h"
#include "comm/modbus_master.h"
#include "monitor/frame_decoding.h"
#include "monitor/frame_export.h"
#include "pages/message_boxes.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Errors on a pale red ground in dark red, the same on a light or a dark desktop (both colours are
// fixed, so their contrast is too).
const QColor kErrorBackground(255, 221, 221);
const QColor kErrorText(140, 0, 0);

QString Milliseconds(std::chrono::nanoseconds t)
{
    return QString::number(std::chrono::duration<double, std::milli>(t).count(), 'f', 3);
}

} // namespace

// The log's records as table rows, row 0 the oldest record held. The log is the data; the model only
// follows it (Sync after each record, Reset after Clear) and decodes the rows a view asks for.
class FrameTableModel : public QAbstractTableModel
{
public:
    explicit FrameTableModel(const monitor::FrameLog& frames, QObject* parent)
        : QAbstractTableModel(parent), log(frames)
    {}

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(shown);
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : LineMonitorWindow::ColumnCount;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const kTitles[LineMonitorWindow::ColumnCount] = {
            "Time (s)", "Gap (ms)", "Wire (ms)", "Transaction", "Dir", "Outcome", "Meaning", "Frame"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= LineMonitorWindow::ColumnCount)
            return QAbstractTableModel::headerData(section, orientation, role);
        return QString::fromLatin1(kTitles[section]);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || static_cast<std::size_t>(index.row()) >= shown)
            return {};
        const monitor::FrameRecord& r = log.At(static_cast<std::size_t>(index.row()));
        switch (role) {
        case Qt::DisplayRole:
            return Text(r, index.column());
        case Qt::ToolTipRole:
            // The long texts in full, where a column cuts them short.
            return index.column() >= LineMonitorWindow::ColumnOutcome ? Text(r, index.column()) : QVariant();
        case Qt::BackgroundRole:
            return r.Failed() ? QVariant(kErrorBackground) : QVariant();
        case Qt::ForegroundRole:
            return r.Failed() ? QVariant(kErrorText) : QVariant();
        case Qt::FontRole:
            return index.column() == LineMonitorWindow::ColumnFrame
                       ? QVariant(QFontDatabase::systemFont(QFontDatabase::FixedFont))
                       : QVariant();
        case Qt::TextAlignmentRole:
            return index.column() <= LineMonitorWindow::ColumnWire ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                   : QVariant();
        default:
            return {};
        }
    }

    // Follows the log: rows it dropped for room go, new records come.
    void Sync()
    {
        const std::uint64_t first = log.FirstNumber();
        if (first > firstNumber && shown > 0) {
            const auto gone = static_cast<std::size_t>(std::min<std::uint64_t>(first - firstNumber, shown));
            beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
            shown -= gone;
            endRemoveRows();
        }
        firstNumber = first;
        if (log.Size() > shown) {
            beginInsertRows({}, static_cast<int>(shown), static_cast<int>(log.Size()) - 1);
            shown = log.Size();
            endInsertRows();
        }
    }

    void Reset()
    {
        beginResetModel();
        firstNumber = log.FirstNumber();
        shown = log.Size();
        endResetModel();
    }

    const monitor::FrameRecord& Record(int row) const { return log.At(static_cast<std::size_t>(row)); }

private:
    QVariant Text(const monitor::FrameRecord& r, int column) const
    {
        switch (column) {
        case LineMonitorWindow::ColumnTime:
            return QString::number(std::chrono::duration<double>(r.time - log.Start()).count(), 'f', 6);
        case LineMonitorWindow::ColumnGap:
            return Milliseconds(r.gap);
        case LineMonitorWindow::ColumnWire:
            return Milliseconds(monitor::WireTime(r));
        case LineMonitorWindow::ColumnTransaction:
            return QString::fromStdString(monitor::AttemptText(r));
        case LineMonitorWindow::ColumnDirection:
            return QString::fromLatin1(monitor::DirectionText(r));
        case LineMonitorWindow::ColumnOutcome:
            return QString::fromStdString(monitor::OutcomeText(r));
        case LineMonitorWindow::ColumnMeaning:
            return QString::fromStdString(monitor::Meaning(r));
        case LineMonitorWindow::ColumnFrame:
            return r.bytes.empty() ? QStringLiteral("(nothing)") : QString::fromStdString(monitor::Hex(r.bytes));
        default:
            return {};
        }
    }

    const monitor::FrameLog& log;
    std::uint64_t firstNumber = 1;
    std::size_t shown = 0;
};

// "Errors only": the frames whose step failed (no reply, bad CRC, wrong slave, exception, ...).
class ErrorsOnlyFilter : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void SetErrorsOnly(bool on)
    {
        errorsOnly = on;
        invalidateRowsFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        return !errorsOnly || parent.isValid() ||
               static_cast<const FrameTableModel*>(sourceModel())->Record(row).Failed();
    }

private:
    bool errorsOnly = false;
};

LineMonitorWindow::LineMonitorWindow(ModbusMaster& line, QWidget* parent)
    : QWidget(parent, Qt::Window), master(line), log(monitor::FrameLog::kWindowCapacity)
{
    setObjectName(QStringLiteral("lineMonitor"));
    setWindowTitle(QStringLiteral("Line Monitor"));

    model = new FrameTableModel(log, this);
    filter = new ErrorsOnlyFilter(this);
    filter->setSourceModel(model);

    table = new QTableView(this);
    table->setObjectName(QStringLiteral("frameTable"));
    table->setModel(filter);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    // Fixed widths: measuring 10,000 rows' contents would cost more than the frames themselves.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    QHeaderView* header = table->horizontalHeader();
    header->setStretchLastSection(true);
    // Wide enough for what the column holds, in the table's font, and for its title, in the header's (a
    // platform's header font may be wider: Windows' is).
    const int digit = table->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[ColumnCount] = {9, 8, 7, 11, 3, 18, 68, 40};
    const int titleMargin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 8;
    int beforeFrame = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        const QString title = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        header->resizeSection(
            c, std::max(widths[c] * digit + 12, header->fontMetrics().horizontalAdvance(title) + titleMargin));
        if (c < ColumnFrame)
            beforeFrame += header->sectionSize(c);
    }

    counters = new QLabel(this);
    counters->setObjectName(QStringLiteral("counters"));
    counters->setWordWrap(true);
    counters->setTextInteractionFlags(Qt::TextSelectableByMouse);
    errorsOnly = new QCheckBox(QStringLiteral("&Errors only"), this);
    errorsOnly->setObjectName(QStringLiteral("errorsOnly"));
    clearButton = new QPushButton(QStringLiteral("&Clear"), this);
    clearButton->setObjectName(QStringLiteral("clearButton"));
    saveButton = new QPushButton(QStringLiteral("&Save..."), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setToolTip(QStringLiteral("As text, CSV or a pcap capture for Wireshark, by the file's extension"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(errorsOnly);
    buttons->addStretch();
    buttons->addWidget(clearButton);
    buttons->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table, 1);
    layout->addWidget(counters);
    layout->addLayout(buttons);
    // Every column up to the frame's bytes and the first of those in view, on a screen that has room for them;
    // on a narrower one, the meaning gives up width so the frame still starts inside the window.
    const int frameShown = 24 * digit;
    const int frame = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width() +
                      layout->contentsMargins().left() + layout->contentsMargins().right();
    int width = beforeFrame + frameShown + frame;
    if (const QScreen* screen = this->screen(); screen != nullptr && width > screen->availableGeometry().width()) {
        width = screen->availableGeometry().width();
        const int meaning = header->sectionSize(ColumnMeaning) - (beforeFrame + frameShown + frame - width);
        header->resizeSection(ColumnMeaning, std::max(meaning, 12 * digit));
    }
    resize(width, 36 * (table->fontMetrics().height() + 6));

    connect(errorsOnly, &QCheckBox::toggled, this, [this](bool on) { filter->SetErrorsOnly(on); });
    connect(clearButton, &QPushButton::clicked, this, &LineMonitorWindow::OnClear);
    connect(saveButton, &QPushButton::clicked, this, &LineMonitorWindow::OnSave);
    log.SetListener(&LineMonitorWindow::OnRecord, this);
    ShowCounters();
}

LineMonitorWindow::~LineMonitorWindow()
{
    if (recording)
        monitor::FrameLog::Detach(master);
}

void LineMonitorWindow::Open(int firmwareRange)
{
    log.SetFirmwareRange(firmwareRange);
    log.Attach(master);
    recording = true;
    show();
    raise();
    activateWindow();
}

void LineMonitorWindow::closeEvent(QCloseEvent* event)
{
    // Closed, nobody looks: the master goes back to recording nothing. The frames stay for the next Open.
    monitor::FrameLog::Detach(master);
    recording = false;
    QWidget::closeEvent(event);
}

void LineMonitorWindow::OnRecord(void* context, const monitor::FrameRecord&)
{
    auto* self = static_cast<LineMonitorWindow*>(context);
    const QScrollBar* bar = self->table->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    self->model->Sync();
    if (following)
        self->table->scrollToBottom();
    self->ShowCounters();
}

void LineMonitorWindow::ShowCounters()
{
    QString text = QString::fromStdString(monitor::CountersText(log.Count()));
    if (log.Dropped() > 0)
        text += QStringLiteral(". The last %1 frames are shown; %2 older ones are no longer held.")
                    .arg(log.Size())
                    .arg(log.Dropped());
    counters->setText(text);
}

void LineMonitorWindow::OnClear()
{
    log.Clear();
    model->Reset();
    ShowCounters();
}

void LineMonitorWindow::OnSave()
{
    const QString path = FileDialogs::SaveFileName(
        this, QStringLiteral("Save Frames"),
        QStringLiteral("Text (*.txt);;CSV for a spreadsheet (*.csv);;pcap capture for Wireshark (*.pcap)"));
    if (path.isEmpty())
        return;
    const file_io::Result saved =
        monitor::SaveExport(log, monitor::FormatForPath(path.toStdString()), path.toStdString());
    if (!saved.Ok())
        MessageBoxes::Show(this, QStringLiteral("Frames not saved"), MessageBoxes::Icon::Stop,
                           QStringLiteral("cannot write %1: %2").arg(path, QString::fromStdString(saved.what)));
}
