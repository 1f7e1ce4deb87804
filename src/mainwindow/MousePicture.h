#pragma once
// The picture of the mouse seen from above, beside the slot buttons: every button drawn with the
// number its slot button carries (1 left, 2 right, 3 wheel, 4 and 5 the front and rear side
// buttons, 7 and 8 the two buttons behind the wheel, 6 the lit button behind them).

#include <QPointF>
#include <QWidget>

namespace q9 {

class TMousePicture : public QWidget {
  Q_OBJECT

 public:
  static constexpr QSize kSize{190, 300};

  explicit TMousePicture(QWidget* parent);

  /// Where the number of button 1..8 is drawn; a null point for any other number.
  static QPointF NumberCentre(int button);
  /// Draws the number of a button brighter, or none (0).
  void SetHighlighted(int button);
  int Highlighted() const { return highlighted_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int highlighted_ = 0;
};

}  // namespace q9
