#include "inspect/label_view.h"

#include "automation/designer_session.h"
#include "inspect/grid_pages.h"
#include "inspect/label_info_page.h"
#include "inspect/load_status.h"
#include "platform/platform_info.h"
#include "ui/error_boundary.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QStackedWidget>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <new>

namespace strovex {
namespace {

const char *const kInfoTypes[] = {"Preview", "Label Info", "Objects", "Variables",
                                  "Databases", "Functions", "Fonts", "Dependant Files"};

// Removes the preview's temporary file on every path out of RefreshPreview.
struct FileRemover {
    QString path;
    ~FileRemover() { QFile::remove(path); }
};

QString loadStep(const QString &path, const QString &page)
{
    return QStringLiteral("Loading %1: %2").arg(QFileInfo(path).fileName(), page);
}

QWidget *captionedPage(const QString &objectName, const QString &caption, QWidget *content)
{
    auto *page = new QWidget;
    page->setObjectName(objectName);
    auto *layout = new QVBoxLayout(page);
    auto *label = new QLabel(caption, page);
    label->setBuddy(content);
    layout->addWidget(label);
    layout->addWidget(content, 1);
    return page;
}

} // namespace

TLabelInfo::TLabelInfo(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);

    auto *left = new QWidget(this);
    left->setFixedWidth(185);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto *infoCaption = new QLabel(QStringLiteral("&Information type:"), left);
    tlsbInfoType_ = new QListWidget(left);
    tlsbInfoType_->setObjectName(QStringLiteral("tlsbInfoType"));
    for (const char *type : kInfoTypes)
        tlsbInfoType_->addItem(QString::fromLatin1(type));
    infoCaption->setBuddy(tlsbInfoType_);
    leftLayout->addWidget(infoCaption);
    leftLayout->addWidget(tlsbInfoType_, 1);
    layout->addWidget(left);

    tpgcInfo_ = new QStackedWidget(this);
    tpgcInfo_->setObjectName(QStringLiteral("tpgcInfo"));
    // Small, so that a label's pages never make the window grow by itself
    // nor leave the search pane no room; what does not fit scrolls.
    tpgcInfo_->setMinimumSize(kMinimumPageSize);
    layout->addWidget(tpgcInfo_, 1);

    // Page 0: the preview picture inside a sunken panel.
    auto *previewPage = new QWidget;
    previewPage->setObjectName(QStringLiteral("tbsPreview"));
    auto *previewLayout = new QVBoxLayout(previewPage);
    pnlPreview_ = new QFrame(previewPage);
    pnlPreview_->setObjectName(QStringLiteral("pnlPreview"));
    pnlPreview_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *panelLayout = new QVBoxLayout(pnlPreview_);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    imgLabelPreview_ = new QLabel(pnlPreview_);
    imgLabelPreview_->setObjectName(QStringLiteral("imgLabelPreview"));
    imgLabelPreview_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    imgLabelPreview_->setAlignment(Qt::AlignCenter);
    panelLayout->addWidget(imgLabelPreview_);
    previewLayout->addWidget(pnlPreview_);
    imgLabelPreview_->installEventFilter(this);
    tpgcInfo_->addWidget(previewPage);
    previewTimer_ = new QTimer(this);
    previewTimer_->setObjectName(QStringLiteral("tmrPreview"));
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(kPreviewResizeDelayMs);
    connect(previewTimer_, &QTimer::timeout, this, &TLabelInfo::refreshPreviewAfterResize);

    // Page 1: label information, with the open time hidden until revealed; pages 2 to 5: the grids.
    labelInfoPage_ = new LabelInfoPage;
    objectsPage_ = new ObjectsPage;
    variablesPage_ = new VariablesPage;
    databasesPage_ = new DatabasesPage;
    functionsPage_ = new FunctionsPage;
    // The information page's fields need more room than the smallest window
    // gives: the page scrolls there instead of being squeezed.
    auto *labelInfoScroll = new QScrollArea;
    labelInfoScroll->setObjectName(labelInfoPage_->objectName());
    labelInfoPage_->setObjectName(QStringLiteral("pnlLabelInfo"));
    labelInfoScroll->setFrameShape(QFrame::NoFrame);
    labelInfoScroll->setWidgetResizable(true);
    labelInfoScroll->setWidget(labelInfoPage_);
    tpgcInfo_->addWidget(labelInfoScroll);
    for (QWidget *page : std::initializer_list<QWidget *>{objectsPage_, variablesPage_, databasesPage_, functionsPage_})
        tpgcInfo_->addWidget(page);

    // Pages 6 and 7: sorted lists.
    tlsbFonts_ = new QListWidget;
    tlsbFonts_->setObjectName(QStringLiteral("tlsbFonts"));
    tpgcInfo_->addWidget(captionedPage(QStringLiteral("tbsFonts"), QStringLiteral("&Font information:"), tlsbFonts_));
    tlsbFiles_ = new QListWidget;
    tlsbFiles_->setObjectName(QStringLiteral("tlsbFiles"));
    tpgcInfo_->addWidget(captionedPage(QStringLiteral("tbsDependantFiles"), QStringLiteral("&Dependant files:"), tlsbFiles_));

    connect(tlsbInfoType_, &QListWidget::currentRowChanged, this, [this](int row) { showPage(row); });
}

TLabelInfo::~TLabelInfo()
{
    ReleaseLabel();
}

void TLabelInfo::showPage(int index)
{
    if (index >= 0 && index < tpgcInfo_->count())
        tpgcInfo_->setCurrentIndex(index);
}

int TLabelInfo::currentPageIndex() const
{
    return tpgcInfo_->currentIndex();
}

void TLabelInfo::PrepareGrids()
{
}

void TLabelInfo::showContents(LabelContents &&c, std::optional<LabelPart> failed)
{
    const auto shown = [failed](LabelPart part) { return !failed || part <= *failed; };
    const auto whole = [failed](LabelPart part) { return !failed || part < *failed; };
    if (shown(LabelPart::LabelInfo))
        labelInfoPage_->showTexts(c.info);
    if (whole(LabelPart::LabelInfo))
        fileName_ = c.info.Name;
    if (shown(LabelPart::Objects))
        objectsPage_->showRows(std::move(c.objects), whole(LabelPart::Objects));
    if (shown(LabelPart::Variables))
        variablesPage_->showRows(std::move(c.variables), whole(LabelPart::Variables));
    if (shown(LabelPart::Databases))
        databasesPage_->showRows(std::move(c.databases), whole(LabelPart::Databases));
    if (shown(LabelPart::Functions))
        functionsPage_->showRows(std::move(c.functions), whole(LabelPart::Functions));
    if (whole(LabelPart::Fonts)) {
        tlsbFonts_->clear();
        tlsbFonts_->addItems(c.fonts);
    }
    if (shown(LabelPart::DependentFiles)) {
        tlsbFiles_->clear();
        tlsbFiles_->addItems(c.files);
    }
}

bool TLabelInfo::LoadLabel(const QuillApp &connection, const QString &path)
try {
    // A long load shows which page it fills and lets the window repaint, but
    // takes no input: nothing may close or reload this view half-way.
    loading_ = true;
    const struct Loading {
        bool &flag;
        ~Loading() { flag = false; }
    } loading{loading_};
    const LoadStatus status([this](const QString &step) {
        emit loadStatusChanged(step);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    showPage(0);
    QElapsedTimer clock;
    clock.start();
    const OpenedLabel opened = openLabel(connection, path);
    if (!opened) {
        showMessage(this, MessageKind::Plain, opened.failure);
        return false;
    }
    handles_.FLabel = opened.label;
    handles_ = LabelHandles::fromLabel(handles_.FLabel);

    LabelContents contents;
    std::optional<LabelPart> reading;
    try {
        readLabelContents(handles_, contents, [&](LabelPart part) {
            reading = part;
            LoadStatus::step(loadStep(path, labelPartName(part)));
        });
    } catch (...) {
        if (reading)
            showContents(std::move(contents), reading);
        throw;
    }
    showContents(std::move(contents), std::nullopt);

    const qint64 t1 = clock.elapsed();
    LoadStatus::step(loadStep(path, QStringLiteral("Preview")));
    RefreshPreview();
    const qint64 t2 = clock.elapsed();
    labelInfoPage_->setOpenTime(QStringLiteral("%1 (%2)").arg(t1).arg(t2));

    tlsbInfoType_->setCurrentRow(0);
    showPage(0);
    return true;
} catch (const std::bad_alloc &) {
    // Said as what it is, naming the label; what was read of it is gone again.
    const LabelTooLargeError tooLarge(path);
    previewFailure_ = QString::fromUtf8(tooLarge.what());
    throw tooLarge;
} catch (...) {
    // The caller reports it; a preview drawing in the page's first layout that
    // fails the same way (a designer that stopped) need not report it again.
    previewFailure_ = errorText(std::current_exception());
    throw;
}

void TLabelInfo::ReleaseLabel()
{
    handles_.release();
    previewTimer_->stop();
    previewDrawnSize_ = QSize();
}

void TLabelInfo::RefreshPreview()
{
    if (!handles_.FLabel)
        return;
    const FileRemover temp{uniqueTempFileName(QStringLiteral("Img"), QStringLiteral(".bmp"))};
    // In device pixels, so that a scaled screen shows the designer's own pixels.
    const qreal ratio = imgLabelPreview_->devicePixelRatioF();
    const QSize size = previewPixelSize();
    handles_.FLabel.ExportPreview(temp.path, size.width(), size.height());
    if (!QFileInfo::exists(temp.path))
        return;
    QPixmap picture;
    if (!picture.load(temp.path, "BMP"))
        throw std::runtime_error("The preview picture cannot be read as a bitmap.");
    picture.setDevicePixelRatio(ratio);
    imgLabelPreview_->setPixmap(picture);
    previewDrawnSize_ = size;
    previewFailure_.clear();
}

QSize TLabelInfo::previewPixelSize() const
{
    return imgLabelPreview_->size() * imgLabelPreview_->devicePixelRatioF();
}

void TLabelInfo::refreshPreviewAfterResize()
{
    if (!handles_.FLabel || loading_ || previewPixelSize() == previewDrawnSize_)
        return;
    // The failure is reported once while the drawing keeps failing the same
    // way; the last picture drawn stays.
    try {
        RefreshPreview();
    } catch (...) {
        const QString text = errorText(std::current_exception());
        if (text != previewFailure_) {
            previewFailure_ = text;
            showMessageAfterEvent(this, MessageKind::Error, text);
        }
    }
}

void TLabelInfo::RevealOpenTime()
{
    labelInfoPage_->revealOpenTime();
}

bool TLabelInfo::eventFilter(QObject *watched, QEvent *event)
{
    // During a load the preview is drawn once, at its end.
    if (watched == imgLabelPreview_ && event->type() == QEvent::Resize && handles_.FLabel && !loading_)
        previewTimer_->start();
    return QWidget::eventFilter(watched, event);
}

} // namespace strovex
