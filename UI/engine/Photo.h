#pragma once

#include <QImage>
#include <QString>

// An item of an image-browser view.
class Photo
{
public:
    // What imageRepresentationType() answers: the representation is a QImage.
    static constexpr const char *kImageRepresentationType = "QImageRepresentation";

    Photo(const QImage &image, const QString &imageID) : m_image(image), m_imageID(imageID) {}

    QString imageUID() const { return m_imageID; }
    QString imageRepresentationType() const { return QString::fromLatin1(kImageRepresentationType); }
    QImage imageRepresentation() const { return m_image; }
    QString imageTitle() const { return m_imageID; }
    void setImageRepresentation(const QImage &image) { m_image = image; }
    void setName(const QString &imageID) { m_imageID = imageID; }

private:
    QImage m_image;
    QString m_imageID;
};
