#pragma once
// A window holding one grid, on a scratch program folder: what the grid menu and the
// report-column window work on.
#include "frame/modMain.h"
#include "platform/SpreadGrid.h"
#include "support/TestEnv.h"

#include <QWidget>
#include <memory>

namespace frametest {

// A window named formName with the grid "spList": cols columns headed "H1", "H2", ... and
// rows rows.
class GridWindow : public QWidget {
public:
    platform::SpreadGrid* spList;
    GridWindow(const QString& formName, int cols, int rows)
    {
        setObjectName(formName);
        spList = new platform::SpreadGrid(this);
        spList->SetName(QStringLiteral("spList"));
        spList->SetMaxCols(cols);
        spList->SetMaxRows(rows);
        for (int c = 1; c <= cols; ++c)
            spList->SetText(c, 0, QStringLiteral("H%1").arg(c));
    }
};

// Per test function: a scratch program folder (layout files go to its FormIni) and the
// program title. A test class derives from it and calls these from init and cleanup.
class FolderFixture {
protected:
    std::unique_ptr<testsupport::TestEnv> env;
    void setUpFolder()
    {
        gsTitle = QStringLiteral("TrelvoTest");
        env = std::make_unique<testsupport::TestEnv>();
    }
    void tearDownFolder() { env.reset(); }
};

} // namespace frametest
