#pragma once
// The About window: picture, name, version and three lines of text; one at a
// time, fixed size, closed by releasing a mouse button inside it.

#include <QPixmap>
#include <QWidget>
#include <optional>

class QLabel;

namespace app {

class AboutWindow : public QWidget {
  Q_OBJECT
 public:
  // The open About window, or a newly built one (not yet shown).
  static AboutWindow* Instance();

  QWidget* Canvas1() const;
  QLabel* Label1() const;
  QLabel* Label2() const;
  QLabel* Label3() const;
  QLabel* Label4() const;
  QLabel* VersionLabel() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  AboutWindow();
  void Event_Open();
  bool pressClaimed_ = false;
};

// The product picture "zvk.png" from the resources, cached for the run once a
// load succeeds; a null pixmap when it cannot be loaded (tried again next time).
QPixmap x_zvk();
// Tests: where the picture is loaded from (empty: the resource), how many loads
// were tried, and a fresh start (empty cache, count 0).
void SetPictureResourceForTesting(const QString& path);
int PictureLoadCountForTesting();
void ResetPictureCacheForTesting();

}  // namespace app
