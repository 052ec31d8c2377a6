#pragma once

#include <QString>
#include <QWidget>

#include <optional>

class QLabel;

// The credits store's last error: a warning triangle (11) beside the wrapping text, on danger at 0.16
// in a rounded rectangle of radius 8. The text size and the padding are the caller's.
class ZunoCreditsErrorBanner : public QWidget {
    Q_OBJECT
public:
    ZunoCreditsErrorBanner(qreal textSize, int padding, QWidget *parent = nullptr);

    QLabel *textLabel() const { return m_text; }
    // Shown only for a message that is present and not empty.
    void setMessage(const std::optional<QString> &message);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_text;
};
