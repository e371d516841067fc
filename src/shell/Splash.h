#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;

namespace lumeward::shell {

// The developer marker compared with the "Name" and "Name2" settings.
inline constexpr char kDeveloperName[] = "Maren Holst";

// The start-up picture: the first plain file in the "Splash" folder beside the
// program, shown borderless for four seconds above a white strip with the check
// box "Hide this at next startup".
class Splash : public QWidget {
    Q_OBJECT

public:
    // pause waits the given seconds while events are handled (Pause in the
    // program; tests pass their own). splashFolder is where the pictures are
    // looked for (the "Splash" folder found beside the program).
    Splash(std::function<void(double seconds)> pause, QString splashFolder);
    ~Splash() override;

    // Shows the picture for its display time and hides it again, or returns at
    // once when there is nothing to show.
    void SplashShow();

    QLabel* Image1() const { return m_image1; }
    QCheckBox* Check1() const { return m_check1; }
    // The four border lines as (x1, y1, x2, y2) in twips, after SplashShow.
    QLine borderLineTwips(int line) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Check1_Click();

    std::function<void(double)> m_pause;
    QString m_splashFolder;
    QLabel* m_image1;
    QCheckBox* m_check1;
    QLine m_lines[4];
};

}  // namespace lumeward::shell
