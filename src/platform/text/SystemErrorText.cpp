#include "platform/text/SystemErrorText.h"

#include "platform/text/PlatformTexts.h"
#include "platform/text/ProgramFailure.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

using namespace PlatformTexts;

QString SystemErrorText(int error)
{
    switch (error) {
    case EACCES:
        return kPermissionDenied;
    case EPERM:
        return kNotPermitted;
    case ENOENT:
        return kNoSuchFile;
    case ENOSPC:
        return kNoSpace;
    case EDQUOT:
        return kQuotaExceeded;
    case EROFS:
        return kReadOnly;
    case EEXIST:
        return kExists;
    case EISDIR:
        return kIsFolder;
    case ENOTDIR:
        return kIsNoFolder;
    case ELOOP:
        return kLinkRefused;
    case ENAMETOOLONG:
        return kNameTooLong;
    case EMFILE:
        return kTooManyOpenFiles;
    case EXDEV:
        return kOtherFileSystem;
    case EBUSY:
        return kBusy;
    case EIO:
        return kInputOutputError;
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString FailureText(const std::exception &failure)
{
    if (const auto *own = dynamic_cast<const ProgramFailure *>(&failure))
        return own->text();
    if (const auto *system = dynamic_cast<const std::system_error *>(&failure)) {
        if (system->code().category() == std::generic_category() ||
            system->code().category() == std::system_category())
            return SystemErrorText(system->code().value());
    }
    if (dynamic_cast<const std::bad_alloc *>(&failure) != nullptr)
        return kNoMemory;
    return kUnexpectedFailure;
}
