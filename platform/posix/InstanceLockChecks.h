#pragma once
#include <sys/stat.h>

#include <string>

#include "platform/System.h"

namespace plat {

/// Why a folder, from its lstat, is not one of `user`'s alone (a real folder, not a link, owned
/// by `user`, that no one else may read, write or enter); empty when it is. `path` names it in
/// the answer.
std::string WhyNotPrivateFolder(const struct stat& st, uid_t user, const std::string& path);

/// What a failed flock on the lock file at `path` means: held by another open file (EWOULDBLOCK),
/// else a failure that says the system's error text.
InstanceLock LockRefusal(int error, const std::string& path);

/// A lock that could not be taken safely, with its reason.
InstanceLock LockFailure(std::string why);

/// A lock handed over by a launcher that is not its held lock file, with the reason.
InstanceLock HandOverRefusal(std::string why);

/// What a file of this mode is, for a line that refuses it as a lock file ("a folder").
const char* KindOfFile(mode_t mode);

} // namespace plat
