#include "widgets/button.h"

#include <QEnterEvent>
#include <QIcon>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

Button::Button(const QColor &baseColor, const QColor &hoverColor, const QColor &pressedColor,
               const QColor &textColor, bool gradient, double xRadius, double yRadius,
               const QString &text, int width, int height, QWidget *parent)
    : QAbstractButton(parent)
    , baseColor(baseColor)
    , hoverColor(hoverColor)
    , pressedColor(pressedColor)
    , textColor(textColor)
    , xRadius(xRadius)
    , yRadius(yRadius)
    , gradient(gradient)
{
    resize(width, height);
    setText(text);
    applyTextStyle();
}

Button::Button(const Couleurs &couleurs, bool gradient, double xRadius, double yRadius,
               const QString &text, int width, int height, QWidget *parent)
    : Button(couleurs.base, couleurs.survol, couleurs.appui, couleurs.texte, gradient, xRadius,
             yRadius, text, width, height, parent)
{
}

Button::~Button()
{
    delete normalPixmap;
    delete hoverPixmap;
    delete pressedPixmap;
    delete iconPixmap;
}

void Button::setTextStyle(int pointSize, const QString &weight)
{
    fontSize = pointSize;
    fontWeight = weight;
    applyTextStyle();
    update();
}

void Button::setRadius(double x, double y)
{
    xRadius = x;
    yRadius = y;
}

void Button::setButtonIcon(const QIcon &icon)
{
    const QPixmap scaled =
        icon.pixmap(QSize(int(width() / 1.5), int(height() / 1.5)), QIcon::Normal, QIcon::Off);
    delete iconPixmap;
    iconPixmap = new QPixmap(scaled);
    update();
}

void Button::mousePressEvent(QMouseEvent *event)
{
    QAbstractButton::mousePressEvent(event);
    setState(2);
}

void Button::mouseReleaseEvent(QMouseEvent *event)
{
    // The inherited handler emits clicked(), which may run a whole modal dialog
    // before returning.
    const QPointer<Button> self(this);
    QAbstractButton::mouseReleaseEvent(event);
    if (self)
        setState(rect().contains(event->position().toPoint()) ? 1 : 0);
}

void Button::enterEvent(QEnterEvent *)
{
    setState(1);
}

void Button::leaveEvent(QEvent *)
{
    setState(0);
}

void Button::setState(int newState)
{
    state = newState;
    repaint();
}

void Button::resizeEvent(QResizeEvent *)
{
    rebuildPixmaps();
    if (iconPixmap)
        setButtonIcon(QIcon(*iconPixmap));
}

void Button::rebuildPixmaps()
{
    createPixmap(normalPixmap);
    createPixmap(hoverPixmap);
    createPixmap(pressedPixmap);
    renderPixmaps();
}

void Button::createPixmap(QPixmap *&pixmap)
{
    delete pixmap;
    pixmap = new QPixmap(size());
    pixmap->fill(Qt::transparent);
}

void Button::renderPixmaps()
{
    const int w = width();
    const int h = height();

    QLinearGradient normal(0, 0, 0, h);
    normal.setColorAt(0.0, baseColor);
    normal.setColorAt(1.0, gradient ? hoverColor : baseColor);
    normal.setSpread(QGradient::ReflectSpread);

    QLinearGradient survol(0, 0, 0, h);
    survol.setColorAt(0.0, hoverColor);
    if (gradient)
        survol.setColorAt(1.0, baseColor);
    survol.setSpread(QGradient::ReflectSpread);

    const QBrush brushes[] = { QBrush(normal), QBrush(survol), QBrush(pressedColor) };
    QPixmap *pixmaps[] = { normalPixmap, hoverPixmap, pressedPixmap };
    for (int i = 0; i < 3; ++i) {
        QPainter painter(pixmaps[i]);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(brushes[i]);
        painter.drawRoundedRect(QRectF(0, 0, w, h), xRadius, yRadius, Qt::AbsoluteSize);
    }
}

void Button::applyTextStyle()
{
    // Setting a style sheet repolishes and repaints the widget: only do it when
    // the text style really changed.
    const QString style =
        QStringLiteral("font-size:%1pt;font-weight:%2;").arg(fontSize).arg(fontWeight);
    if (style != appliedStyle) {
        appliedStyle = style;
        setStyleSheet(style);
    }
}

void Button::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPixmap *look = normalPixmap;
    if (isEnabled()) {
        if (state == 1)
            look = hoverPixmap;
        else if (state == 2)
            look = pressedPixmap;
    }
    if (look)
        painter.drawPixmap(0, 0, *look);

    if (iconPixmap) {
        painter.drawPixmap((width() - iconPixmap->width()) / 2,
                           (height() - iconPixmap->height()) / 2, *iconPixmap);
    } else if (!text().isEmpty()) {
        painter.setFont(font());
        painter.setPen(QPen(QBrush(textColor), 30, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        painter.drawText(QRect(0, 0, width(), height()), Qt::AlignCenter, text());
    }

    // The keyboard's focus, once the keyboard moved it: a dotted outline in
    // the text's colour just inside the edge, over the button's own colours.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(textColor, 1, Qt::DotLine));
        const qreal retrait = 2.5;
        painter.drawRoundedRect(QRectF(rect()).adjusted(retrait, retrait, -retrait, -retrait),
                                qMax(0.0, xRadius - retrait), qMax(0.0, yRadius - retrait),
                                Qt::AbsoluteSize);
    }
}
