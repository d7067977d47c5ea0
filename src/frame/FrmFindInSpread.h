#pragma once
#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace platform { class SpreadGrid; }

// "찾기": finds a text in a grid, from the active cell on, by rows or by columns, and moves
// the active cell to the next match. The caller hands over the grid with SetFormInit and
// shows the window; it stays open for further searches. The last word, direction and
// whole-cell choice are kept for the next showing while the program runs.
class FrmFindInSpread : public QDialog {
    Q_OBJECT
public:
    explicit FrmFindInSpread(QWidget* parent = nullptr);
    ~FrmFindInSpread() override;

    // The grid and the columns searched: MinCol -1 means column 1, MaxCol -1 the last column.
    void SetFormInit(platform::SpreadGrid* sp, int MinCol = -1, int MaxCol = -1);

    // Searches once, as the "다음 찾기" button does. True when the active cell moved.
    bool cmdFind_Click();

    QLabel* lblFindWd = nullptr;
    QLineEdit* txtFindWd = nullptr;
    QLabel* lblFindDir = nullptr;
    QComboBox* cboFindDir = nullptr;
    QCheckBox* chkSameAll = nullptr;
    QPushButton* cmdFind = nullptr;
    QPushButton* cmdClose = nullptr;

public slots:
    void done(int r) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool findByColumns(int c0, int r0, const QString& word, int flags, int& hitCol, int& hitRow) const;
    bool findByRows(int c0, int r0, const QString& word, int flags, int& hitCol, int& hitRow) const;
    int visibleHitInRow(int r, int colStart, const QString& word, int flags) const;
    int visibleHitInColumn(int c, int rowStart, const QString& word, int flags) const;
    void keepChoices();

    QPointer<platform::SpreadGrid> m_spr;
    int m_lMinCol = 0; // the column before the first one searched
    int m_lMaxCol = 0; // the last column searched
};
