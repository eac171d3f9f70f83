# Recomputes, independently of KVE, every number that the regression and
# parameter-test sections of a report print, and the two ordinary
# least-squares rows of the OLS/SLS section, then compares them with the
# report at the printed precision.
#
#   Rscript tools/oracles/regression_report.R examples/crop_yield.KVE \
#           app/tests/core/golden/crop_yield_report.txt
#
# The dataset is read from the .KVE file's DATA block: X, SD X, Y, SD Y and
# the exclusion mark; a row is used when X is not empty and the mark does not
# begin with "Y", "y" or "0".

args <- commandArgs(trailingOnly = TRUE)
kve <- readLines(args[1], warn = FALSE, encoding = "UTF-8")
report <- readLines(args[2], warn = FALSE, encoding = "UTF-8")
report <- sub("\r$", "", report)

start <- which(kve == "DATA:") + 1
stop <- which(kve == "NOTES:") - 1
if (length(stop) == 0) stop <- length(kve)
rows <- kve[start:stop]
cells <- lapply(rows, function(l) scan(text = l, what = "", sep = ",", quiet = TRUE, na.strings = character()))
x <- c(); y <- c()
for (cl in cells) {
  mark <- if (length(cl) >= 7) cl[7] else ""
  if (is.na(cl[1]) || cl[1] == "") next
  if (nchar(mark) > 0 && toupper(substr(mark, 1, 1)) %in% c("Y", "0")) next
  x <- c(x, as.numeric(cl[1])); y <- c(y, as.numeric(cl[3]))
}
n <- length(x)
fit <- lm(y ~ x)
co <- summary(fit)$coefficients
a <- co[1, 1]; b <- co[2, 1]; siga <- co[1, 2]; sigb <- co[2, 2]
rss <- sum(residuals(fit)^2)
mse <- rss / (n - 2)
r <- cor(x, y)
adjr2 <- 1 - (1 - r^2) * (n - 1) / (n - 2)
pred <- fitted(fit)
rr2 <- 1 - (median(abs(y - pred)) / median(abs(y - mean(y))))^2
adjrr2 <- 1 - (1 - rr2) * (n - 1) / (n - 3)
tr <- r * sqrt((n - 2) / (1 - r^2))
ptr <- 2 * pt(-abs(tr), n - 2)
ta <- a / siga; tb <- b / sigb; t1 <- (b - 1) / sigb
pa <- 2 * pt(-abs(ta), n - 2); pb <- 2 * pt(-abs(tb), n - 2); p1 <- 2 * pt(-abs(t1), n - 2)
# Joint test of a = 0 and b = 1: the extra sum of squares of the line
# y = x against the fitted line, as anova() of the two nested fits gives it.
q <- a^2 * n + 2 * n * mean(x) * a * (b - 1) + sum(x^2) * (b - 1)^2
restricted <- lm(y ~ 0 + offset(x))
stopifnot(abs(q - (sum((y - x)^2) - rss)) < 1e-9 * max(1, q))
f_db <- (n - 2) * q / (2 * n * mse); p_db <- pf(f_db, 2, n - 2, lower.tail = FALSE)
f_m <- q / (2 * mse); p_m <- pf(f_m, 2, n - 2, lower.tail = FALSE)
stopifnot(abs(p_m - anova(restricted, fit)$`Pr(>F)`[2]) < 1e-12)
# OLS(X|Y) written as Y = a + b X.
fxy <- lm(x ~ y)
bxy <- 1 / coef(fxy)[2]; axy <- mean(y) - bxy * mean(x)

fmt <- function(v, d) formatC(round(v, d), format = "f", digits = d)
checks <- list(
  list("Estimate a ± SD : ", c(a, siga), 5),
  list("Estimate b ± SD : ", c(b, sigb), 5),
  list("MSE             : ", c(mse, sqrt(mse)), 5),
  list("N               : ", c(n, r), c(0, 5)),
  list("r²              : ", c(r^2, adjr2), 5),
  list("Resistant r²    : ", c(rr2, adjrr2), 5),
  list("Chi²            : ", c(rss, 1), 5),
  list("H0: r = 0 ", c(tr, ptr), 5),
  list("H0: a = 0 ", c(ta, pa), 5),
  list("H0: b = 0 ", c(tb, pb), 5),
  list("H0: b = 1 ", c(t1, p1), 5),
  list("H0: a = 0 & b = 1    F-value \\(P-value\\): .* \\(Dent", c(f_db, p_db), 5),
  list("H0: a = 0 & b = 1    F-value \\(P-value\\): .* \\(Mayer", c(f_m, p_m), 5),
  # The OLS rows' standard deviations are the asymptotic ones of Isobe et
  # al. (checked with the library's own tables), not lm's; only the lines
  # themselves are compared here.
  list("OLS \\(Y/X\\)", c(a, NA, NA, b), 5),
  list("OLS \\(X/Y\\)", c(axy, NA, NA, bxy), 5)
)
bad <- 0
for (ck in checks) {
  line <- report[grepl(paste0("^", ck[[1]]), report)][1]
  if (is.na(line)) { cat("missing line:", ck[[1]], "\n"); bad <- bad + 1; next }
  body <- if (grepl("value\\): ", line)) sub(".*value\\): ", "", line) else sub("^[^:]*: ", "", line)
  nums <- as.numeric(regmatches(body, gregexpr("-?[0-9]*\\.?[0-9]+", body))[[1]])
  want <- ck[[2]]; dec <- rep_len(ck[[3]], length(want))
  for (i in seq_along(want)) {
    if (is.na(want[i])) next
    got <- nums[i]
    ok <- abs(got - round(want[i], dec[i])) <= 10^-dec[i] * 0.5 + 1e-12 ||
          (want[i] < 10^-dec[i] && got == 10^-dec[i])      # a probability never prints as zero
    if (!ok) { cat(sprintf("%s [%d]: report %s, R %s\n", ck[[1]], i, got, fmt(want[i], dec[i]))); bad <- bad + 1 }
  }
}
if (bad > 0) quit(status = 1)
cat(sprintf("all %d lines agree with R (n = %d)\n", length(checks), n))
