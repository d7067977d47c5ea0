#include "platform/FlowLayout.h"

#include <QHBoxLayout>
#include <QWidget>
#include <algorithm>

namespace platform {

QWidget* FlowLayout::group(QWidget* parent, std::initializer_list<QWidget*> parts)
{
    auto* u = new QWidget(parent);
    auto* h = new QHBoxLayout(u);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    for (QWidget* w : parts)
        h->addWidget(w);
    return u;
}

FlowLayout::FlowLayout(QWidget* parent, int hSpacing, int vSpacing)
    : QLayout(parent), m_hSpace(hSpacing), m_vSpace(vSpacing)
{
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addWidget(QWidget* w, bool alignRight)
{
    addChildWidget(w);
    m_items.append(new QWidgetItem(w));
    m_alignRight.append(alignRight);
    invalidate();
}

void FlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    m_alignRight.append(false);
}

int FlowLayout::count() const { return int(m_items.size()); }

QLayoutItem* FlowLayout::itemAt(int index) const { return m_items.value(index); }

QLayoutItem* FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    m_alignRight.removeAt(index);
    return m_items.takeAt(index);
}

Qt::Orientations FlowLayout::expandingDirections() const { return {}; }

bool FlowLayout::hasHeightForWidth() const { return true; }

int FlowLayout::heightForWidth(int width) const { return doLayout(QRect(0, 0, width, 0), false); }

QSize FlowLayout::minimumSize() const
{
    // As narrow as the widest item and as low as the tallest; the height the items need at
    // a given width comes from heightForWidth.
    QSize size;
    for (QLayoutItem* item : m_items)
        if (!item->isEmpty())
            size = size.expandedTo(item->sizeHint());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const
{
    // Everything on one line.
    int w = 0;
    int h = 0;
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize s = item->sizeHint();
        w += (w > 0 ? m_hSpace : 0) + s.width();
        h = std::max(h, s.height());
    }
    const QMargins m = contentsMargins();
    return QSize(w + m.left() + m.right(), h + m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    doLayout(rect, true);
}

int FlowLayout::doLayout(const QRect& rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const QMargins m = contentsMargins();
    struct Placed {
        QLayoutItem* item;
        QSize size;
        bool right;
    };
    QList<QList<Placed>> lines(1);
    int x = 0;
    for (int i = 0; i < m_items.size(); ++i) {
        QLayoutItem* item = m_items[i];
        if (item->isEmpty())
            continue;
        const QSize s = item->sizeHint();
        const int next = x + (x > 0 ? m_hSpace : 0) + s.width();
        if (x > 0 && next > area.width()) {
            lines.append(QList<Placed>());
            x = s.width();
        } else {
            x = next;
        }
        lines.last().append({item, s, m_alignRight[i]});
    }
    if (lines.first().isEmpty())
        return m.top() + m.bottom();
    int y = area.top();
    for (const QList<Placed>& line : lines) {
        if (line.isEmpty())
            continue;
        int lineH = 0;
        int used = 0;
        for (const Placed& p : line) {
            lineH = std::max(lineH, p.size.height());
            used += (used > 0 ? m_hSpace : 0) + p.size.width();
        }
        if (apply) {
            const int spare = std::max(0, area.width() - used);
            int px = area.left();
            bool pushed = false;
            for (const Placed& p : line) {
                if (p.right && !pushed) {
                    px += spare;
                    pushed = true;
                }
                // Items are centred in the line's height.
                p.item->setGeometry(QRect(QPoint(px, y + (lineH - p.size.height()) / 2), p.size));
                px += p.size.width() + m_hSpace;
            }
        }
        y += lineH + m_vSpace;
    }
    return y - m_vSpace - area.top() + m.top() + m.bottom();
}

} // namespace platform
