// A saved game of two players and a 10,000-entry log, written and read with
// our property-list code and, as the baseline, with Qt's XML stream classes
// building the same values.
#include "platform/PropertyList.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <benchmark/benchmark.h>

#include <string>

using namespace platform;

namespace {

Value savedGame()
{
    Array a { Value("2"), Value("Orrin"), Value("Ajani"), Value("20"), Value("36"), Value("18"), Value("36") };
    a.reserve(7 + 3 * 10000);
    for (int j = 0; j < 10000; ++j) {
        a.emplace_back(Date { 1768478400.0 + j * 3 });
        a.emplace_back(j % 2 ? "Ajani" : "Orrin");
        a.emplace_back(int64_t(20 - j % 40));
    }
    return Value(std::move(a));
}

QByteArray qtWrite(const Value& root)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(-1);
    w.writeStartDocument();
    w.writeDTD("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");
    w.writeStartElement("plist");
    w.writeAttribute("version", "1.0");
    w.writeStartElement("array");
    for (const Value& v : root.asArray()) {
        switch (v.type()) {
        case Value::Type::String:
            w.writeTextElement("string", QString::fromStdString(v.asString()));
            break;
        case Value::Type::Integer:
            w.writeTextElement("integer", QString::number(v.asInt64()));
            break;
        case Value::Type::Date:
            w.writeTextElement("date",
                QDateTime::fromSecsSinceEpoch(qint64(v.asDate().secondsSince1970), Qt::UTC).toString(Qt::ISODate));
            break;
        default:
            break;
        }
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

Value qtRead(const QByteArray& xml)
{
    QXmlStreamReader r(xml);
    Array items;
    while (!r.atEnd()) {
        if (r.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = r.name();
        if (name == u"string")
            items.emplace_back(r.readElementText().toStdString());
        else if (name == u"integer")
            items.emplace_back(int64_t(r.readElementText().toLongLong()));
        else if (name == u"date")
            items.emplace_back(Date { double(QDateTime::fromString(r.readElementText(), Qt::ISODate).toSecsSinceEpoch()) });
    }
    if (r.hasError())
        return {};
    return Value(std::move(items));
}

void PropertyListWrite(benchmark::State& state)
{
    const Value game = savedGame();
    size_t bytes = 0;
    for (auto _ : state) {
        std::string xml = PropertyList::serialize(game);
        bytes = xml.size();
        benchmark::DoNotOptimize(xml);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

void PropertyListRead(benchmark::State& state)
{
    const std::string xml = PropertyList::serialize(savedGame());
    for (auto _ : state) {
        auto v = PropertyList::parse(xml);
        if (!v || v->asArray().size() != 30007)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * xml.size()));
}

void QtXmlStreamWrite(benchmark::State& state)
{
    const Value game = savedGame();
    size_t bytes = 0;
    for (auto _ : state) {
        QByteArray xml = qtWrite(game);
        bytes = size_t(xml.size());
        benchmark::DoNotOptimize(xml);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

void QtXmlStreamRead(benchmark::State& state)
{
    const QByteArray xml = QByteArray::fromStdString(PropertyList::serialize(savedGame()));
    for (auto _ : state) {
        Value v = qtRead(xml);
        if (v.asArray().size() != 30007)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(v);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * size_t(xml.size())));
}

}

BENCHMARK(PropertyListWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(QtXmlStreamWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(PropertyListRead)->Unit(benchmark::kMillisecond);
BENCHMARK(QtXmlStreamRead)->Unit(benchmark::kMillisecond);
