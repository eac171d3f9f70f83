#include "ui/flex_grid.hpp"

#include <algorithm>
#include <utility>

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>

FlexGridModel::FlexGridModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_rowLabels(1)
    , m_headers(1)
{
}

void FlexGridModel::setRows(int rows)
{
    if (rows < 1)
        rows = 1;
    if (rows == m_rows)
        return;
    const auto keep = [this](int rows) {
        if (m_source) {
            dropSetTexts(rows, 0, m_rows - 1, m_cols - 1);
            return;
        }
        m_cells.resize(static_cast<std::size_t>(rows - 1) * static_cast<std::size_t>(m_cols - 1));
        m_rowLabels.resize(static_cast<std::size_t>(rows));
    };
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows - 1, rows - 2);
        keep(rows);
        m_rows = rows;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), rows - 1, m_rows - 2);
        keep(rows);
        m_rows = rows;
        endRemoveRows();
    }
}

void FlexGridModel::setCols(int cols)
{
    if (cols < 1)
        cols = 1;
    if (cols == m_cols)
        return;
    beginResetModel();
    if (m_source) {
        dropSetTexts(1, cols, m_rows - 1, m_cols - 1);
    } else {
        std::vector<QString> cells(static_cast<std::size_t>(m_rows - 1) * static_cast<std::size_t>(cols - 1));
        for (int r = 1; r < m_rows; ++r)
            for (int c = 1; c < std::min(cols, m_cols); ++c)
                cells[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(cols - 1)
                      + static_cast<std::size_t>(c - 1)] = textMatrix(r, c);
        m_cells.swap(cells);
    }
    m_headers.resize(static_cast<std::size_t>(cols));
    m_cols = cols;
    endResetModel();
}

QString FlexGridModel::textMatrix(int row, int col) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return QString();
    if (row == 0)
        return m_headers[static_cast<std::size_t>(col)];
    if (m_source) {
        if (!m_setTexts.empty())
            if (const auto set = m_setTexts.find(cellKey(row, col)); set != m_setTexts.end())
                return set->second;
        return m_source(row, col);
    }
    if (col == 0)
        return m_rowLabels[static_cast<std::size_t>(row)];
    return m_cells[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(m_cols - 1)
                   + static_cast<std::size_t>(col - 1)];
}

void FlexGridModel::setTextMatrix(int row, int col, const QString& text)
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return;
    if (row == 0) {
        m_headers[static_cast<std::size_t>(col)] = text;
        if (col > 0)
            emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
        return;
    }
    if (m_source) {
        m_setTexts[cellKey(row, col)] = text;
        announce(row, col, row, col);
        return;
    }
    if (col == 0) {
        m_rowLabels[static_cast<std::size_t>(row)] = text;
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
        return;
    }
    QString& cell = m_cells[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(m_cols - 1)
                            + static_cast<std::size_t>(col - 1)];
    if (cell == text)
        return;
    cell = text;
    const QModelIndex i = index(row - 1, col - 1);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void FlexGridModel::setRowLabels(int first, int last, const std::function<QString(int)>& label)
{
    first = std::max(first, 1);
    last = std::min(last, m_rows - 1);
    if (first > last)
        return;
    if (m_source)
        dropSetTexts(first, 0, last, 0);
    else
        for (int row = first; row <= last; ++row)
            m_rowLabels[static_cast<std::size_t>(row)] = label(row);
    emit headerDataChanged(Qt::Vertical, first - 1, last - 1);
}

void FlexGridModel::setCellSource(CellSource source)
{
    beginResetModel();
    m_source = std::move(source);
    m_setTexts.clear();
    if (m_source) {
        std::vector<QString>().swap(m_cells);
        std::vector<QString>().swap(m_rowLabels);
    } else {
        m_cells.assign(static_cast<std::size_t>(m_rows - 1) * static_cast<std::size_t>(m_cols - 1), QString());
        m_rowLabels.assign(static_cast<std::size_t>(m_rows), QString());
    }
    endResetModel();
}

void FlexGridModel::cellsChanged(int firstRow, int firstCol, int lastRow, int lastCol)
{
    dropSetTexts(firstRow, firstCol, lastRow, lastCol);
    announce(firstRow, firstCol, lastRow, lastCol);
}

void FlexGridModel::dropSetTexts(int firstRow, int firstCol, int lastRow, int lastCol)
{
    std::erase_if(m_setTexts, [&](const auto& set) {
        const int row = static_cast<int>(set.first >> 32);
        const int col = static_cast<int>(set.first & 0xFFFF'FFFFu);
        return row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
    });
}

void FlexGridModel::announce(int firstRow, int firstCol, int lastRow, int lastCol)
{
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, m_rows - 1);
    firstCol = std::max(firstCol, 0);
    lastCol = std::min(lastCol, m_cols - 1);
    if (firstRow > lastRow || firstCol > lastCol)
        return;
    if (firstCol == 0)
        emit headerDataChanged(Qt::Vertical, firstRow - 1, lastRow - 1);
    if (lastCol >= 1)
        emit dataChanged(index(firstRow - 1, std::max(firstCol, 1) - 1), index(lastRow - 1, lastCol - 1),
                         {Qt::DisplayRole});
}

void FlexGridModel::resetCells()
{
    beginResetModel();
    m_setTexts.clear();
    endResetModel();
}

int FlexGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows - 1;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols - 1;
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return textMatrix(index.row() + 1, index.column() + 1);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return QVariant();
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return textMatrix(0, section + 1);
    return textMatrix(section + 1, 0);
}

FlexGrid::FlexGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new FlexGridModel(this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultSectionSize(80);
    horizontalHeader()->setStretchLastSection(true);
    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &FlexGrid::scheduleColumnFit);
    connect(m_model, &QAbstractItemModel::modelReset, this, &FlexGrid::scheduleColumnFit);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &FlexGrid::scheduleColumnFit);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::scheduleColumnFit);
}

void FlexGrid::scheduleColumnFit()
{
    if (m_fitScheduled)
        return;
    m_fitScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_fitScheduled = false;
        fitColumnsToCells();
    });
}

void FlexGrid::fitColumnsAfresh()
{
    m_fitAfresh = true;
    scheduleColumnFit();
}

void FlexGrid::fitColumnsToCells()
{
    QHeaderView* header = horizontalHeader();
    const bool afresh = std::exchange(m_fitAfresh, false);
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int needed = std::max(sizeHintForColumn(c), header->sectionSizeHint(c));
        if (afresh)
            needed = std::max(needed, header->defaultSectionSize());
        if (needed > header->sectionSize(c) || (afresh && needed < header->sectionSize(c)))
            header->resizeSection(c, needed);
    }
}

void FlexGrid::setRows(int rows)
{
    m_model->setRows(rows);
    if (m_row >= rows)
        m_row = rows - 1 >= 1 ? rows - 1 : 1;
}

void FlexGrid::resetCells()
{
    const int row = m_row;
    const int col = m_col;
    m_model->resetCells();
    setCurrentCell(row, col);
}

void FlexGrid::setCurrentCell(int row, int col)
{
    if (row < 1 || row >= rows() || col < 1 || col >= cols())
        return;
    setCurrentIndex(m_model->index(row - 1, col - 1));
    // The view moves its current index only when it changes; keep ours in
    // step in either case.
    m_row = row;
    m_col = col;
}

int FlexGrid::rowSel() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : m_row;
}

int FlexGrid::colSel() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() + 1 : m_col;
}

QRect FlexGrid::cellRectInParent(int row, int col) const
{
    const QRect r = visualRect(m_model->index(row - 1, col - 1));
    const QPoint topLeft = viewport()->mapTo(parentWidget() ? parentWidget() : const_cast<FlexGrid*>(this),
                                             r.topLeft());
    return QRect(topLeft, r.size());
}

bool FlexGrid::carriesFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return true;
    return false;
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    const int newRow = current.isValid() ? current.row() + 1 : m_row;
    const int newCol = current.isValid() ? current.column() + 1 : m_col;
    if (newRow != m_row || newCol != m_col) {
        emit leaveCell();
        m_row = newRow;
        m_col = newCol;
    }
    QTableView::currentChanged(current, previous);
}

bool FlexGrid::focusNextPrevChild(bool next)
{
    // Tab walks the cells until it would wrap around: past the last cell
    // (before the first with Shift+Tab) the focus moves on to the controls
    // around the grid.
    const QModelIndex current = currentIndex();
    if (current.isValid() && isEnabled()) {
        const QModelIndex target = moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier);
        const bool wraps = !target.isValid() || target == current
                           || (next ? std::pair(target.row(), target.column()) < std::pair(current.row(), current.column())
                                    : std::pair(target.row(), target.column()) > std::pair(current.row(), current.column()));
        if (!wraps)
            return QTableView::focusNextPrevChild(next);
    }
    return QWidget::focusNextPrevChild(next);
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+Tab leaves the grid from any cell.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        && (event->modifiers() & Qt::ControlModifier)) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        QWidget::focusNextPrevChild(!back);
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        emit charPressed(3);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        emit charPressed(22);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit charPressed(13);
        return;
    case Qt::Key_Backspace:
        emit charPressed(8);
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text[0].unicode() >= 32 && text[0].unicode() != 127
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        emit charPressed(text[0].unicode());
        return;
    }
    QTableView::keyPressEvent(event);
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void FlexGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    emit gotFocus();
}

void FlexGrid::dragEnterEvent(QDragEnterEvent* event)
{
    if (carriesFiles(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FlexGrid::dragMoveEvent(QDragMoveEvent* event)
{
    if (carriesFiles(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FlexGrid::dropEvent(QDropEvent* event)
{
    if (!carriesFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(paths);
}
