#pragma once

// Lets alias records mount the share their target lies on again (AliasMounting):
// with user interaction through the process's KTMounter, which asks for a password
// where the server wants one; without, through a mounter whose credential prompt never
// asks anybody: it takes a guest login where the server offers one and gives up
// otherwise. The same checks of the share text apply either way. Main thread only.
namespace AliasShareMounter {

void install();

}
