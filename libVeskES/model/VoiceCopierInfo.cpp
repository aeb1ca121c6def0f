#include "VoiceCopierInfo.h"

#include "Profile.h"

namespace {
const QString Section = QStringLiteral("VoiceCopier");
}

void VoiceCopierInfo::fromRegistry(Patch defaultVoice)
{
    voice = Patch(
        unsigned(Profile::readProfileInt(Section, QStringLiteral("voice"), int(defaultVoice.toUInt()))));
    copyvoice = Profile::readProfileInt(Section, QStringLiteral("copyvoice"), 1) != 0;
    part = Profile::readProfileInt(Section, QStringLiteral("part"), 0);
    copyname = Profile::readProfileInt(Section, QStringLiteral("copyname"), 1) != 0;
    copyarp = Profile::readProfileInt(Section, QStringLiteral("copyarp"), 1) != 0;
    copyfx = Profile::readProfileInt(Section, QStringLiteral("copyfx"), 1) != 0;
    copyinsfx = Profile::readProfileInt(Section, QStringLiteral("copyinsfx"), 1) != 0;
}

bool VoiceCopierInfo::toRegistry() const
{
    bool ok = Profile::writeProfileInt(Section, QStringLiteral("voice"), int(voice.toUInt()));
    ok = Profile::writeProfileInt(Section, QStringLiteral("copyvoice"), copyvoice ? 1 : 0) && ok;
    ok = Profile::writeProfileInt(Section, QStringLiteral("part"), part) && ok;
    ok = Profile::writeProfileInt(Section, QStringLiteral("copyname"), copyname ? 1 : 0) && ok;
    ok = Profile::writeProfileInt(Section, QStringLiteral("copyarp"), copyarp ? 1 : 0) && ok;
    ok = Profile::writeProfileInt(Section, QStringLiteral("copyfx"), copyfx ? 1 : 0) && ok;
    ok = Profile::writeProfileInt(Section, QStringLiteral("copyinsfx"), copyinsfx ? 1 : 0) && ok;
    return ok;
}
