#ifndef BUTTON_H
#define BUTTON_H

#include <QAbstractButton>
#include <QColor>

// The four colours a Button is built from.
struct Couleurs
{
    QColor base;
    QColor survol;
    QColor appui;
    QColor texte;

    static Couleurs bleu() { return { "#275fb3", "#508fd8", "#22529a", "#ffffff" }; }
    static Couleurs rouge() { return { "#c21e02", "#e97865", "#e32400", "#ffffff" }; }
    static Couleurs vert() { return { "#0abd00", "#0de900", "#078400", "#ffffff" }; }
    static Couleurs alerte() { return { "#ff1515", "#ff8b87", "#d00000", "#ffffff" }; }
    static Couleurs bleuProfond() { return { "#096cff", "#1500ef", "#002fb0", "#ffffff" }; }

    Couleurs avecTexte(const QColor &couleur) const { return { base, survol, appui, couleur }; }
};

// The self-painted push button of the whole program: a rounded rectangle with a
// vertical gradient (or a plain colour), a lighter look under the mouse and a
// darker one while pressed. The three looks are painted into pixmaps on resize
// only; a repaint copies one of them and draws the text.
class Button : public QAbstractButton
{
    Q_OBJECT

public:
    Button(const QColor &baseColor, const QColor &hoverColor, const QColor &pressedColor,
           const QColor &textColor, bool gradient, double xRadius, double yRadius,
           const QString &text, int width, int height, QWidget *parent = nullptr);
    Button(const Couleurs &couleurs, bool gradient, double xRadius, double yRadius,
           const QString &text, int width, int height, QWidget *parent = nullptr);
    ~Button() override;

    void setTextStyle(int pointSize, const QString &weight);
    void setRadius(double xRadius, double yRadius);
    void setButtonIcon(const QIcon &icon);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuildPixmaps();
    void createPixmap(QPixmap *&pixmap);
    void renderPixmaps();
    void applyTextStyle();
    void setState(int newState);

    QPixmap *normalPixmap = nullptr;
    QPixmap *hoverPixmap = nullptr;
    QPixmap *pressedPixmap = nullptr;
    QPixmap *iconPixmap = nullptr;
    int state = 0;
    QColor baseColor;
    QColor hoverColor;
    QColor pressedColor;
    QColor textColor;
    double xRadius;
    double yRadius;
    bool gradient;
    int fontSize = 8;
    QString fontWeight = QStringLiteral("bold");
    QString appliedStyle;
};

#endif // BUTTON_H
