#pragma once

#include "textsystem/doc/DocByteView.h"
#include "textsystem/PictureCache.h"
#include "textsystem/TextAttachment.h"

#include <QHash>
#include <QList>

// Inline pictures of Word documents: a PICF header in the Data stream,
// followed by drawing records that either embed the picture's file or name
// an entry of the document's picture store (kept in the table stream, its
// files in the WordDocument stream), directly or through a shape of the
// document's drawing. Only PNG and JPEG files are taken; each distinct one
// is decoded once, within PictureCache's budget.
class DocPictureReader
{
public:
    DocPictureReader() = default;
    // Pictures are decoded through `decoded`, the document's, which must outlive this.
    DocPictureReader(DocByteView data, DocByteView wordDocument, DocByteView drawingGroup, PictureCache &decoded);

    // The picture at `offset` of the Data stream, sized as its header says
    // (points); null when there is none, it is of another kind, or damaged.
    TextAttachmentPointer read(quint32 offset) const;

    // The picture of drawing shape `shapeId` (anchored in the text by a
    // drawn-object character), shown at `bounds` (points); null as read().
    TextAttachmentPointer readShape(quint32 shapeId, const QRectF &bounds) const;

private:
    struct Blip {
        QByteArray bytes;
        QString type;
    };

    Blip findBlip(DocByteView records, int &budget, int depth) const;
    Blip storeBlip(int index, int &budget) const;
    Blip entryBlip(DocByteView entry, int &budget, int depth) const;
    TextAttachmentPointer attachment(const Blip &blip, const QRectF &bounds) const;
    static Blip blipFile(DocByteView record, quint16 type, quint16 instance);
    void collectShapePictures(DocByteView records, int &budget, int depth);

    DocByteView m_data;
    DocByteView m_wordDocument;
    QList<DocByteView> m_storeEntries; // bodies of the store's entry records
    QHash<quint32, int> m_shapePictures; // shape id -> store index
    PictureCache *m_decoded = nullptr;
};
