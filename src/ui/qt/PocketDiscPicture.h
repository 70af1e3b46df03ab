#pragma once

#include <QWidget>

namespace dax {

// The picture beside the angle field: a pocket disc in its holder, with the reference marks
// 0 at the top and 90 at the bottom right edge, 66 x 58 pixels.
class PocketDiscPicture : public QWidget {
public:
    static constexpr int kWidth = 66;
    static constexpr int kHeight = 58;

    explicit PocketDiscPicture(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace dax
