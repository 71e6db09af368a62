#include "core/names/rules.h"
#include "core/names/namerules.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The rename's name rules with any path, prefix and start count text, under both systems'
// rules: nothing may crash, and a prefix the rules accept must never take a file out of its
// folder or give it a name the rules would refuse as a path.

namespace
{
void check(bool condition)
{
    if (!condition)
        std::abort();
}

QString text(FuzzedDataProvider &input)
{
    const std::string bytes = input.ConsumeRandomLengthString(256);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const QChar separator = input.ConsumeBool() ? QLatin1Char('\\') : QLatin1Char('/');
    const rules::NameRules nameRules
        = input.ConsumeBool() ? rules::NameRules::Windows : rules::NameRules::Unix;
    const QString path = text(input);
    const QString prefix = text(input);
    const QString countText = text(input);
    const bool numbered = input.ConsumeBool();

    const rules::NameCount start = rules::startCount(countText);
    const QString counter = rules::counterText(start);
    check(counter.size() >= 4 && counter.at(0) == QLatin1Char(' '));
    for (const QChar c : counter.mid(1))
        check(c.isDigit() || c == QLatin1Char('-'));
    check(counter.mid(1).toLongLong() == start);

    const QString extension = rules::keptExtension(path, separator);
    check(path.endsWith(extension));
    for (const QChar c : extension)
        check(!rules::isSeparator(c, separator));

    const QString renamed = rules::renamedPath(
        path, prefix, numbered ? std::optional(start) : std::nullopt, separator);
    check(renamed.startsWith(rules::folderPart(path, separator)));

    const rules::NameProblem problem = rules::renameProblem(path, renamed, nameRules, separator);
    if (rules::prefixProblem(prefix, nameRules) == rules::NameProblem::None) {
        // An accepted prefix keeps the file in its folder.
        check(rules::folderPart(renamed, separator) == rules::folderPart(path, separator));
        check(problem != rules::NameProblem::OtherFolder);
    }
    // An empty new path is refused by the rename itself.
    if (problem == rules::NameProblem::None && !renamed.isEmpty()) {
        const QString name = rules::filePart(renamed, separator);
        check(rules::fileNameProblem(name, nameRules) == rules::NameProblem::None);
        check(name != QLatin1String(".") && name != QLatin1String(".."));
        check(!name.contains(QLatin1Char('/')));
    }
    return 0;
}
