// older
