#pragma once

#include <QPixmap>
#include <QSize>

/// The product's picture (About box, update wizard), drawn rather than shipped as a bitmap.
class ProductPicture final
{
public:
    static QPixmap render(QSize size);
};
