#pragma once

#include <QPixmap>
#include <QSize>

/// The update wizard's side picture: the product's tent under a download arrow, drawn rather than
/// shipped as a bitmap, in the colours of the product picture.
class WizardPicture final
{
public:
    static QPixmap render(QSize size);
};
