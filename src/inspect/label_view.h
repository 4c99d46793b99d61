#pragma once
// One page of the main window: a label opened through the designer, its
// information pages and its preview. The view holds the label's handles from
// a successful LoadLabel until ReleaseLabel or its destruction; its pages show
// what readLabelContents read, nothing else.

#include "automation/designer.h"
#include "inspect/label_contents.h"

#include <QSize>

#include <optional>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class QFrame;
class QTimer;

namespace strovex {

class LabelInfoPage;
class ObjectsPage;
class VariablesPage;
class DatabasesPage;
class FunctionsPage;

class TLabelInfo : public QWidget {
    Q_OBJECT
public:
    explicit TLabelInfo(QWidget *parent = nullptr);
    ~TLabelInfo() override;

    // The page stack's smallest size; the pages scroll below their own.
    static constexpr QSize kMinimumPageSize{200, 160};

    void PrepareGrids();
    // Opens `path` through `connection` and fills every page. False (after the
    // failure message was shown) when the designer returned no label; a failed
    // designer call while reading throws, and the pages read so far are shown.
    bool LoadLabel(const QuillApp &connection, const QString &path);
    void ReleaseLabel();
    void RefreshPreview();
    // A resize draws the preview once the size has held this long, and only
    // when it differs from the picture's: dragging a window's edge asks the
    // designer once, for the size it ends at.
    static constexpr int kPreviewResizeDelayMs = 150;
    // Ctrl+T: shows "Opened in:" with the open time for this page only.
    void RevealOpenTime();

    // The opened label, for the generators; empty after ReleaseLabel.
    const LabelHandles &handles() const { return handles_; }
    const IQuillmark &FLabel() const { return handles_.FLabel; }
    const QString &FFileName() const { return fileName_; }

    int currentPageIndex() const;

    // The information pages, for what reads their rows (search, export).
    LabelInfoPage *labelInfoPage() const { return labelInfoPage_; }
    ObjectsPage *objectsPage() const { return objectsPage_; }
    VariablesPage *variablesPage() const { return variablesPage_; }
    DatabasesPage *databasesPage() const { return databasesPage_; }
    FunctionsPage *functionsPage() const { return functionsPage_; }

signals:
    // A load that lasts more than a moment: which page it is filling now
    // ("Loading box.lbl: Objects"). The window repaints after each.
    void loadStatusChanged(const QString &step);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The parts read in whole, and the one whose reading failed (`failed`)
    // with what was read of it; the parts after it are left as they were.
    void showContents(LabelContents &&contents, std::optional<LabelPart> failed);
    void showPage(int index);
    void refreshPreviewAfterResize();
    QSize previewPixelSize() const;

    LabelHandles handles_;
    QString fileName_;
    // The preview failure last reported, until a picture is drawn again.
    QString previewFailure_;
    // The size in device pixels of the picture shown; empty when none is.
    QSize previewDrawnSize_;
    QTimer *previewTimer_ = nullptr;
    bool loading_ = false;

    QListWidget *tlsbInfoType_ = nullptr;
    QStackedWidget *tpgcInfo_ = nullptr;
    QFrame *pnlPreview_ = nullptr;
    QLabel *imgLabelPreview_ = nullptr;
    QListWidget *tlsbFonts_ = nullptr;
    QListWidget *tlsbFiles_ = nullptr;
    LabelInfoPage *labelInfoPage_ = nullptr;
    ObjectsPage *objectsPage_ = nullptr;
    VariablesPage *variablesPage_ = nullptr;
    DatabasesPage *databasesPage_ = nullptr;
    FunctionsPage *functionsPage_ = nullptr;
};

} // namespace strovex
