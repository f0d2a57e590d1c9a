#pragma once

#include "widgets/TUiBinGControl.h"

#include <QColor>
#include <QPixmap>
#include <QString>

// Aspects of a colour button that show the checked look.
enum TCheckedOption {
    coGlyph = 1 << 0,
    coText = 1 << 1,
    coTextCol = 1 << 2,
    coBtnCol = 1 << 3,
    coBevel = 1 << 4,
};
// Aspects of a colour button that blink.
enum TFlashOption {
    foGlyph = 1 << 0,
    foText = 1 << 1,
    foTextCol = 1 << 2,
    foBtnCol = 1 << 3,
};
enum TPosHorizontal { phLeft, phRight, phCenter };
enum TPosVertical { pvTop, pvBottom, pvCenter };
enum TPosGlyph { pLeft, pRight, pTop, pBottom };

// A colour push-button: its face colour, text, text colour, glyph and bevel show the
// checked state, and may blink.
class TUiColBitBtn : public TUiBinGControl {
    Q_OBJECT
public:
    explicit TUiColBitBtn(QWidget* parent = nullptr);

    const QString& TextOn() const { return textOn_; }
    const QString& TextOff() const { return textOff_; }
    void SetTextOn(const QString& text);
    void SetTextOff(const QString& text);
    QColor TextColOn() const { return textColOn_; }
    QColor TextColOff() const { return textColOff_; }
    QColor TextColDisabled() const { return textColDisabled_; }
    void SetTextColOn(const QColor& color);
    void SetTextColOff(const QColor& color);
    void SetTextColDisabled(const QColor& color);
    QColor ColorOn() const { return colorOn_; }
    QColor ColorOff() const { return colorOff_; }
    QColor ColorDisabled() const { return colorDisabled_; }
    void SetColorOn(const QColor& color);
    void SetColorOff(const QColor& color);
    void SetColorDisabled(const QColor& color);
    // A gradient face instead of the plain colours while visible.
    void SetGradBtnFace(const QColor& from, const QColor& to, bool visible);
    bool GradVisible() const { return gradVisible_; }

    int CheckedOptions() const { return checkedOptions_; }
    int FlashOptions() const { return flashOptions_; }
    void SetCheckedOptions(int options);
    void SetFlashOptions(int options);

    bool Beveled() const { return beveled_; }
    bool Transparent() const { return transparent_; }
    bool Flat() const { return flat_; }
    bool Text3D() const { return text3D_; }
    void SetBeveled(bool beveled);
    void SetTransparent(bool transparent);
    void SetFlat(bool flat);
    void SetText3D(bool text3D);
    int OffsetDown() const { return offsetDown_; }
    void SetOffsetDown(int pixels);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int pixels);

    // NumGlyph images side by side: the first normal, the second disabled, the third checked.
    void SetGlyph(const QPixmap& glyph, int numGlyph);
    TPosGlyph PosGlyph() const { return posGlyph_; }
    void SetPosGlyph(TPosGlyph position);
    TPosHorizontal PosHorizontal() const { return posHorizontal_; }
    TPosVertical PosVertical() const { return posVertical_; }
    void SetPosHorizontal(TPosHorizontal position);
    void SetPosVertical(TPosVertical position);
    int Spacing() const { return spacing_; }
    void SetSpacing(int pixels);

    // The look as it is drawn now.
    QString ShownText() const;
    QColor ShownTextColor() const;
    QColor ShownFaceColor() const;
    // Index of the glyph image drawn now.
    int ShownGlyphIndex() const;
    // The face is drawn sunken (pressed, or checked with coBevel).
    bool Sunken() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool CheckedLook(int checkedOption, int flashOption) const;
    void PaintFace(QPainter& painter, const QRectF& face) const;
    void PaintContent(QPainter& painter, const QRectF& face) const;

    QString textOn_;
    QString textOff_;
    QColor textColOn_ = QColor(0, 0, 0);
    QColor textColOff_ = QColor(0, 0, 0);
    QColor textColDisabled_ = QColor(128, 128, 128);
    QColor colorOn_ = QColor(255, 200, 40);
    QColor colorOff_ = QColor(212, 208, 200);
    QColor colorDisabled_ = QColor(200, 200, 200);
    QColor gradFrom_;
    QColor gradTo_;
    bool gradVisible_ = false;
    int checkedOptions_ = coGlyph | coText | coTextCol | coBtnCol | coBevel;
    int flashOptions_ = foGlyph | foText | foTextCol | foBtnCol;
    bool beveled_ = true;
    bool transparent_ = false;
    bool flat_ = false;
    bool text3D_ = false;
    int offsetDown_ = 1;
    int bevelWidth_ = 2;
    QPixmap glyph_;
    int numGlyph_ = 1;
    TPosGlyph posGlyph_ = pLeft;
    TPosHorizontal posHorizontal_ = phCenter;
    TPosVertical posVertical_ = pvCenter;
    int spacing_ = 4;
};
