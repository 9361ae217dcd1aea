#include "app/InterruptedSaveOffer.h"

#include "base/FileWrites.h"
#include "app/MainU.h"
#include "platform/Platform.h"

#include <QFile>
#include <cstring>

namespace {

enum TOfferAnswer { kPutBack = 0, kKeep = 1 };

QString OfferText(const QString& path)
{
    return QStringLiteral("Saving %1 was interrupted while the file was being overwritten, so it may now hold "
                          "part of the new text and part of the old.\n\n"
                          "The previous version was kept. Put it back, or keep the file as it is now?")
        .arg(path);
}

}  // namespace

void OfferPreviousVersions(const std::vector<TInterruptedSave>& saves)
{
    const QStringList answers{QStringLiteral("&Put Back"), QStringLiteral("&Keep As It Is")};
    for (const TInterruptedSave& save : saves) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(save.FileName));
        switch (platform().Ask(kApplicationTitle, OfferText(path), answers)) {
        case kPutBack:
            if (const int error = PutBackPreviousVersion(save))
                platform().ShowError(QStringLiteral("Cannot create file ") + path + QStringLiteral(". ") +
                                     QString::fromLocal8Bit(std::strerror(error)));
            break;
        case kKeep:
            DiscardPreviousVersion(save);
            break;
        default:
            break;  // no answer: asked again next time
        }
    }
}

void OfferPreviousVersionsOf(const std::string& path)
{
    OfferPreviousVersions(ClaimInterruptedSavesOf(InterruptedSaveFolder(), path));
}
