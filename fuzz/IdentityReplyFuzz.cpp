// The replies of the general parameters page: program name, elevator ID,
// telephone number, run count and clock, and the texts sent back.

#include "FuzzInput.h"
#include "Identity.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::FrameText frame(data, size);
    identity::IdentityValues values;
    identity::applyReply(frame.get(), values);
    fuzz::check(values.programName.size() <= identity::kProgramNameLength &&
                    values.elevatorId.size() <= identity::kElevatorIdLength &&
                    values.telephone.size() <= identity::kTelephoneLength,
                "texts keep to their lengths");

    if (const auto fields = identity::clockFields(frame.get())) {
        for (int f : *fields)
            fuzz::check(f >= 0 && f <= 99, "clock fields are two digits");
        fuzz::check(identity::clockPayload(*fields).size() == 12, "the clock goes back as twelve digits");
    }

    const QString text = identity::controllerText(frame.get(), int(frame.size()));
    if (identity::isPrintableAscii(text)) {
        const QByteArray sent = identity::textWithCr(text, identity::kTelephoneLength);
        fuzz::check(sent.endsWith('\r') && sent.size() <= identity::kTelephoneLength + 1,
                    "a set request carries the text cut to its limit and a CR");
    }
    return 0;
}
