#include "support/fakeservices.h"

platform::Answer FakeBoxes::MsgBox(const QString &text, int code, const QString &title)
{
    shown.push_back({ text, code, title.isEmpty() ? platform::programTitle : title });
    if (!answers.empty()) {
        const platform::Answer next = answers.front();
        answers.pop_front();
        return next;
    }
    return answer;
}

QStringList FakeBoxes::texts() const
{
    QStringList result;
    for (const Shown &box : shown)
        result.append(box.text);
    return result;
}
