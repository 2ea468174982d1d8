#include "protocol/channels/protocolhint.h"

#include "protocol/channels/digitalrules.h"

#include <QtGlobal>

namespace ProtocolHint {

namespace {

const char kNoHint[] = "";

// Several protocols share a hint: meters of one family are addressed alike.
const char *const kHints[DigitalRules::kProtocolCount] = {
    kNoHint,
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный по адресу 0, адрес три цифры заводского номера слева "
                      "от знака МИНУС/ПРОБЕЛ, если они более 240, то две цифры, заводской пароль "
                      "582946."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный не поддерживается, адрес шесть цифр заводского номера "
                      "слева от знака МИНУС/ПРОБЕЛ, пароля нет."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный по адресу пусто, адрес последние девять цифр "
                      "заводского номера, пароля нет."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный по адресу пусто, адрес последние девять цифр "
                      "заводского номера, пароля нет."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный не поддерживается, адрес все цифры заводского номера, "
                      "пароля нет."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный не поддерживается, адрес восемь цифр заводского номера "
                      "без года, пароля нет."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный не поддерживается, адрес все цифры заводского номера, "
                      "пароля нет."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный по адресу пусто, адрес все цифры заводского номера "
                      "после символа №, заводской пароль 73041852."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный по адресу 0, адрес фиксированный 247, заводской "
                      "пароль 73041852."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный не поддерживается, адрес все цифры заводского номера, "
                      "пароля нет."),
    QT_TRANSLATE_NOOP("RS485Tab",
                      "⚠ широковещательный не поддерживается, адрес восемь цифр заводского номера "
                      "без года, пароля нет."),
};

} // namespace

const char *hintSource(int protocol)
{
    if (protocol < 0 || protocol >= DigitalRules::kProtocolCount)
        return kNoHint;
    return kHints[protocol];
}

} // namespace ProtocolHint
