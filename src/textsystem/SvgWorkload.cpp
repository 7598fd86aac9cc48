#include "textsystem/SvgWorkload.h"

#include <QHash>
#include <QString>
#include <QXmlStreamReader>

#include <cmath>
#include <vector>

namespace {

struct Element
{
    std::vector<int> children;
    QString usedId; // the id a <use> names ("" for other elements)
    int used = -1;  // that element, once the ids are known
};

// The document's elements in order (parents before children); empty when
// the XML is malformed or holds more than `limit` elements.
std::vector<Element> elementsOf(const QByteArray &svg, qint64 limit)
{
    std::vector<Element> elements;
    QHash<QString, int> byId;
    std::vector<int> open;
    QXmlStreamReader reader(svg);
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            open.pop_back();
        } else if (token == QXmlStreamReader::StartElement) {
            if (qint64(elements.size()) >= limit)
                return {};
            const int index = int(elements.size());
            elements.emplace_back();
            if (!open.empty())
                elements[open.back()].children.push_back(index);
            open.push_back(index);
            const QXmlStreamAttributes attributes = reader.attributes();
            for (const QXmlStreamAttribute &attribute : attributes) {
                if (attribute.name() == QLatin1String("id"))
                    byId.insert(attribute.value().toString(), index);
                else if (attribute.name() == QLatin1String("href") && reader.name() == QLatin1String("use")
                         && attribute.value().startsWith(u'#'))
                    elements.back().usedId = attribute.value().mid(1).toString();
            }
        }
    }
    if (reader.hasError())
        return {};
    for (Element &element : elements) {
        if (!element.usedId.isEmpty())
            element.used = byId.value(element.usedId, -1);
    }
    return elements;
}

// Each element's count as drawn: itself, its children, and for a <use> the
// element it names; a walk with its own stack, as nesting may be deep.
qint64 drawnFrom(const std::vector<Element> &elements, qint64 limit)
{
    enum class State : char { Unseen, Open, Done };
    std::vector<State> state(elements.size(), State::Unseen);
    std::vector<qint64> drawn(elements.size(), 0);
    struct Step
    {
        int element;
        size_t next; // the next of its dependencies to visit
    };
    const auto dependency = [&elements](int element, size_t at) {
        const Element &e = elements[element];
        return at < e.children.size() ? e.children[at] : (at == e.children.size() ? e.used : -2);
    };
    std::vector<Step> stack{{0, 0}};
    state[0] = State::Open;
    while (!stack.empty()) {
        Step &step = stack.back();
        const int next = dependency(step.element, step.next++);
        if (next == -1)
            continue; // no <use>, or it names nothing
        if (next >= 0) {
            if (state[next] == State::Open)
                return limit + 1; // a <use> inside what it draws
            if (state[next] == State::Unseen) {
                state[next] = State::Open;
                stack.push_back({next, 0});
            }
            continue;
        }
        const Element &e = elements[step.element];
        qint64 sum = 1;
        for (const int child : e.children)
            sum = qMin(limit + 1, sum + drawn[child]);
        if (e.used >= 0)
            sum = qMin(limit + 1, sum + drawn[e.used]);
        drawn[step.element] = sum;
        state[step.element] = State::Done;
        stack.pop_back();
    }
    return drawn[0];
}

} // namespace

namespace SvgWorkload {

qint64 drawnElements(const QByteArray &svg, qint64 limit)
{
    const std::vector<Element> elements = elementsOf(svg, limit);
    if (elements.empty())
        return limit + 1;
    return drawnFrom(elements, limit);
}

QSize rasterSize(QSize wanted, qint64 drawn)
{
    const double pixels = double(wanted.width()) * wanted.height();
    const double allowed = double(maximumDrawnPixels) / double(qMax<qint64>(1, drawn));
    if (pixels <= allowed)
        return wanted;
    const double scale = std::sqrt(allowed / pixels);
    return QSize(qMax(1, int(wanted.width() * scale)), qMax(1, int(wanted.height() * scale)));
}

} // namespace SvgWorkload
