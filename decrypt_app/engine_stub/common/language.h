// The one language decision of every window of the program: Russian or English.
#pragma once

// 1 when the English name of the language of the user's default locale is exactly "Russian",
// else 0. Only the regional format setting counts; the locale's country and the system's display
// language play no part.
int IsRussianUi();
