#include "Feedback.h"

MessageBeepFn g_messageBeep = MessageBeep;
