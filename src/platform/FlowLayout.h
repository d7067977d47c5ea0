#pragma once
#include <QLayout>
#include <QList>
#include <QRect>

#include <initializer_list>

namespace platform {

// Lays its items out left to right and wraps onto a new line where the width ends, so that
// no item is ever squeezed below its size hint or covers another. The layout's height
// follows from the width (heightForWidth). An item added with alignRight starts the part of
// its line that is pushed to the right edge (the first such item of a line does).
class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr, int hSpacing = 4, int vSpacing = 4);
    ~FlowLayout() override;

    // A row of widgets that stays together on one line (a caption with its field), to add
    // as one item.
    static QWidget* group(QWidget* parent, std::initializer_list<QWidget*> parts);

    void addWidget(QWidget* w, bool alignRight = false);
    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    int doLayout(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> m_items;
    QList<bool> m_alignRight;
    int m_hSpace;
    int m_vSpace;
};

} // namespace platform
