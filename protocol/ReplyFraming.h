#pragma once

// How a controller type frames its replies.
enum class ReplyFraming {
    Compact,  // the smallest header that fits (the long one only where the form asks for it)
    Real,     // as the real controllers do: every positive 21 reply with the long header
};
