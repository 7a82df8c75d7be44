#include "app/AboutWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include "app/App.h"
#include "app/DesignScale.h"

// Resources compiled into a static library must be registered by hand, and
// from outside any namespace.
static void registerResources() { Q_INIT_RESOURCE(resources); }

namespace app {
namespace {

constexpr int kDesignWidth = 306;
constexpr int kDesignHeight = 150;
constexpr int kTextSize = 12;  // design pixels, for every label but the name

struct LabelDesign {
  const char* name;
  int left, top, width, height;
  const char* text;
};

// In creation order; the version label's text is set when the window opens.
const LabelDesign kLabels[] = {
    {"Label1", 122, 14, 184, 18, "Kestrune ADIF Utility"},
    {"Label2", 122, 60, 184, 30, "Reads the contact log of a Kestrune device."},
    {"Label3", 122, 91, 184, 18, "Completes every record."},
    {"Label4", 122, 112, 184, 18, "Saves it as an ADIF file."},
    {"VersionLabel", 122, 33, 184, 18, ""},
};

const QString kDefaultPicture = QStringLiteral(":/zvk.png");

struct PictureCache {
  QPixmap picture;
  QString path;
  int loads = 0;
};

PictureCache& pictureCache() {
  static PictureCache cache;
  return cache;
}

QPointer<AboutWindow>& instanceSlot() {
  static QPointer<AboutWindow> slot;
  return slot;
}

QString versionText() { return QStringLiteral("Version ") + App::ShortVersion(); }

QFont labelFont(const QFont& base, const LabelDesign& label, double scale) {
  QFont font = base;
  if (&label != &kLabels[0]) font.setPixelSize(Scaled(kTextSize, scale));
  return font;
}

// The smallest scale of the design at which every label shows its whole text.
double requiredScale(const QFont& base) {
  return SmallestScale(1.0, 0.05, [&base](double scale) {
    for (const LabelDesign& label : kLabels) {
      const QString text = *label.text ? QString::fromLatin1(label.text) : versionText();
      if (!TextFits(labelFont(base, label, scale), text, Scaled(label.width, scale), Scaled(label.height, scale)))
        return false;
    }
    return true;
  }, 4.0);
}

}  // namespace

AboutWindow* AboutWindow::Instance() {
  QPointer<AboutWindow>& slot = instanceSlot();
  if (!slot) slot = new AboutWindow();
  return slot;
}

AboutWindow::AboutWindow() {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("AboutWindow"));
  setWindowTitle(QStringLiteral("About"));
  // An ordinary titled window of fixed size with only a close button.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  const double scale = requiredScale(font());
  setFixedSize(Scaled(kDesignWidth, scale), Scaled(kDesignHeight, scale));

  auto* canvas = new QLabel(this);
  canvas->setObjectName(QStringLiteral("Canvas1"));
  canvas->setPixmap(x_zvk());
  canvas->setScaledContents(true);
  canvas->setFocusPolicy(Qt::NoFocus);
  canvas->setGeometry(Scaled(20, scale), Scaled(14, scale), Scaled(100, scale), Scaled(76, scale));

  for (const LabelDesign& design : kLabels) {
    auto* label = new QLabel(QString::fromLatin1(design.text), this);
    label->setObjectName(QString::fromLatin1(design.name));
    label->setFont(labelFont(font(), design, scale));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setFocusPolicy(Qt::NoFocus);
    label->setGeometry(Scaled(design.left, scale), Scaled(design.top, scale), Scaled(design.width, scale),
                       Scaled(design.height, scale));
  }
  Event_Open();
}

QWidget* AboutWindow::Canvas1() const {
  return findChild<QWidget*>(QStringLiteral("Canvas1"), Qt::FindDirectChildrenOnly);
}
QLabel* AboutWindow::Label1() const { return findChild<QLabel*>(QStringLiteral("Label1"), Qt::FindDirectChildrenOnly); }
QLabel* AboutWindow::Label2() const { return findChild<QLabel*>(QStringLiteral("Label2"), Qt::FindDirectChildrenOnly); }
QLabel* AboutWindow::Label3() const { return findChild<QLabel*>(QStringLiteral("Label3"), Qt::FindDirectChildrenOnly); }
QLabel* AboutWindow::Label4() const { return findChild<QLabel*>(QStringLiteral("Label4"), Qt::FindDirectChildrenOnly); }
QLabel* AboutWindow::VersionLabel() const {
  return findChild<QLabel*>(QStringLiteral("VersionLabel"), Qt::FindDirectChildrenOnly);
}

void AboutWindow::Event_Open() { VersionLabel()->setText(versionText()); }

// A press claims the click; the window goes when the button comes up.
void AboutWindow::mousePressEvent(QMouseEvent* event) {
  pressClaimed_ = true;
  event->accept();
}

void AboutWindow::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (!pressClaimed_) return;
  pressClaimed_ = false;
  close();
}

// A closed window is gone even before its deferred deletion: the next About
// command builds a new one.
void AboutWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (instanceSlot() == this) instanceSlot() = nullptr;
}

QPixmap x_zvk() {
  PictureCache& cache = pictureCache();
  if (!cache.picture.isNull()) return cache.picture;
  static const bool registered = (registerResources(), true);
  (void)registered;
  ++cache.loads;
  QPixmap loaded;
  loaded.load(cache.path.isEmpty() ? kDefaultPicture : cache.path);
  cache.picture = loaded;
  return cache.picture;
}

void SetPictureResourceForTesting(const QString& path) { pictureCache().path = path; }

int PictureLoadCountForTesting() { return pictureCache().loads; }

void ResetPictureCacheForTesting() {
  pictureCache().picture = QPixmap();
  pictureCache().loads = 0;
}

}  // namespace app
