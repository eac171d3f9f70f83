# Recomputes, independently of KVE, every number that the deviation
# analysis, the residual analysis (table, normality, deviation summary,
# residue regression) and the deviation analysis's interval window print,
# and compares them with the report at the printed precision: a printed
# number must be the R value rounded to its decimals (either neighbour when
# the R value lies within 1e-9 of a rounding boundary). A probability field
# never shows zero: a value below the field's last unit is raised by one
# unit before it is rounded, and the R value is raised alike.
#
#   Rscript tools/oracles/report_sections_iii.R examples/crop_yield.KVE \
#           app/tests/core/golden/crop_yield_report.txt \
#           app/tests/core/golden/crop_yield_deviation_window.txt
#   Rscript tools/oracles/report_sections_iii.R app/tests/core/golden/offset_residuals.KVE \
#           app/tests/core/golden/offset_residuals_report.txt \
#           app/tests/core/golden/offset_residuals_deviation_window.txt
#
# The run starts with no acceptance limits kept (as a fresh program does),
# and the dataset's fit is the least-squares line. The sources:
# - the deviations d = x - y: lm(d ~ x) for the line, its t tests and its
#   MSE; cor(x, d)^2; t.test(d) for the mean's P value, and its interval
#   with qt(1 - alpha/2, n - 1), the prediction interval with
#   sd(d) sqrt(1 + 1/n); the bounds of Freese and Reynolds from qchisq();
#   the goodness-of-fit block of the deviations: shapiro.test, and the EDF
#   statistics of the normal with mean and SD (n - 1) estimated (nortest's
#   lillie.test D, cvm.test W2, ad.test A2; Kuiper's V = D+ + D-, Watson's
#   U2 = W2 - n (mean z - 1/2)^2);
# - the interval window: predict.lm(lm(d ~ x), interval = "confidence" and
#   "prediction", level = 1 - alpha, se.fit = TRUE);
# - the residual table: lm(y ~ x) with fitted, residuals, hatvalues,
#   rstandard, rstudent, cooks.distance, dffits; the semi-studentized
#   residue e / sqrt(MSE), its standard error sqrt(MSE (1 - h)), the deleted
#   residue e / (1 - h), the expected normal residue sqrt(MSE) qnorm((rank -
#   0.375) / (n + 0.25)) with mid-ranks; the marks by their rules with the
#   limits a fresh run derives (deviations within -/+ qnorm(conf) sqrt(var(y)
#   / n), residues within -/+ mean(y) / 10, leverage from 4/n on, Cook's D
#   with pf(D, 2, n - 2) > 0.5, |DFFITS| from 2 sqrt(2/n) on, studentized
#   deleted residues outside -/+ 2.5);
# - shapiro.test of the residuals, rstandard and rstudent;
# - the residue regression: lm(residuals ~ fitted).
#
# The dataset is read from the .KVE file's DATA block: X, SD X, Y, SD Y and
# the exclusion mark; a row is used when X is not empty and the mark does not
# begin with "Y", "y" or "0".
suppressPackageStartupMessages(library(nortest))

args <- commandArgs(trailingOnly = TRUE)
kve <- sub("\r$", "", readLines(args[1], warn = FALSE, encoding = "UTF-8"))
report <- sub("\r$", "", readLines(args[2], warn = FALSE, encoding = "UTF-8"))
window <- if (length(args) >= 3) sub("\r$", "", readLines(args[3], warn = FALSE, encoding = "UTF-8")) else NULL

option <- function(key) {
  line <- kve[startsWith(kve, paste0(key, "="))][1]
  trimws(sub("^[^=]*=", "", line))
}
here <- dirname(normalizePath(sub("^--file=", "", grep("^--file=", commandArgs(FALSE), value = TRUE)[1])))
source(file.path(here, "report_check.R"))
rows <- usedRows(kve)
x <- rows$x; y <- rows$y
n <- length(x)

# The confidence box is a percentage; what is no level strictly between 0
# and 100 gives 95 %.
box <- suppressWarnings(as.numeric(regmatches(option("DEVIATION_CI_PROB"),
                                               regexpr("^ *-?[0-9]*\\.?[0-9]+", option("DEVIATION_CI_PROB")))))
conf <- if (length(box) == 1 && !is.na(box) && box > 0 && box < 100) box / 100 else 0.95
alpha <- 1 - conf
L <- format(100 - 100 * alpha, digits = 15)

bad <- 0
checked <- 0
fail <- function(what, got, want) {
  cat(sprintf("%s: report %s, R %.10g\n", what, got, want))
  bad <<- bad + 1
}
# One printed field against its R value. A number too wide for its field
# prints "n/a" (data far from zero): that is right when the R value written
# with the field's decimals has more characters than the field, `width`
# (the report's fields are 10 wide unless said).
agree <- function(what, text, want, dec, prob = FALSE, width = 10) {
  checked <<- checked + 1
  got <- suppressWarnings(as.numeric(trimws(text)))
  if (is.na(want)) {
    if (trimws(text) != "n/a") fail(what, text, want)
    return(invisible())
  }
  if (!is.na(text) && trimws(text) == "n/a" && nchar(sprintf("%.*f", dec, want)) > width) return(invisible())
  if (prob) {
    if (want < 0) want <- 0
    if (floor(want * 10^dec) == 0) want <- want + 10^-dec
  }
  if (is.na(got) || abs(got - want) > 0.5 * 10^-dec + 1e-9 * max(1, abs(want))) fail(what, text, want)
}
# The numbers of a line after its label, in order.
numbers <- function(line, label = NULL) {
  body <- if (is.null(label)) substring(line, regexpr(": ", line, fixed = TRUE) + 2) else substring(line, nchar(label) + 1)
  regmatches(body, gregexpr("n/a|-?[0-9]*\\.?[0-9]+", body))[[1]]
}
lineAfter <- function(lines, label, from = 1) {
  hit <- which(startsWith(lines[from:length(lines)], label))
  if (length(hit) == 0) { cat("missing line:", label, "\n"); bad <<- bad + 1; return(NULL) }
  lines[from + hit[1] - 1]
}
agreeLine <- function(lines, label, want, dec, prob = NULL, from = 1) {
  line <- lineAfter(lines, label, from)
  if (is.null(line)) return(invisible())
  got <- numbers(line, label)
  if (is.null(prob)) prob <- rep(FALSE, length(want))
  for (i in seq_along(want)) agree(paste0(label, " [", i, "]"), got[i], want[i], rep_len(dec, length(want))[i], prob[i])
}
tp <- function(t, df) 2 * pt(-abs(t), df)

# ---- Deviation analysis -------------------------------------------------
d <- x - y
fd <- lm(d ~ x)
co <- summary(fd)$coefficients
mseD <- sum(residuals(fd)^2) / (n - 2)
dev0 <- which(report == "DEVIATION ANALYSIS")
if (length(dev0) == 1) {
  block <- report[dev0:length(report)]
  tq <- qt(1 - alpha / 2, n - 1)
  z2 <- qchisq(1 - alpha, 1)
  s2 <- sum(d^2); sab <- sum((d - mean(d))^2); sse <- sum(residuals(fd)^2)
  agreeLine(block, "Estimate a ± SD                  : ", co[1, 1:2], 5)
  agreeLine(block, "Estimate b ± SD                  : ", co[2, 1:2], 5)
  agreeLine(block, "H0: a = 0; T-value (P-value)     : ", c(co[1, 3], tp(co[1, 3], n - 2)), 5, c(FALSE, TRUE))
  agreeLine(block, "H0: b = 0; T-value (P-value)     : ", c(co[2, 3], tp(co[2, 3], n - 2)), 5, c(FALSE, TRUE))
  agreeLine(block, "r²                               : ", cor(x, d)^2, 5)
  agreeLine(block, "MSE                              : ", mseD, 5)
  agreeLine(block, "Mean deviation                   : ", c(mean(d), t.test(d)$p.value), 5, c(FALSE, TRUE))
  agreeLine(block, paste0("Confidence interval (", L, "%)        : "), mean(d) + c(-1, 1) * tq * sd(d) / sqrt(n), 5)
  agreeLine(block, paste0("Prediction interval (", L, "%)        : "), mean(d) + c(-1, 1) * tq * sd(d) * sqrt(1 + 1 / n), 5)
  agreeLine(block, "Variance deviation               : ", var(d), 5)
  agreeLine(block, "S deviation                      : ", sd(d), 5)
  if (is.null(lineAfter(block, paste0("Assuming ", L, "% of probability")))) cat("level", L, "\n")
  agreeLine(block, "Root of sum of deviation squared : ", sqrt(s2), 5)
  agreeLine(block, "Assuming no mean bias            : ",
            sqrt(z2 * s2 / qchisq(c(1 - alpha, alpha), n)), 5)
  agreeLine(block, "Assuming constant mean bias      : ",
            sqrt(z2 * sab / qchisq(c(1 - alpha, alpha), n - 1)), 5)
  agreeLine(block, "Assuming proportional bias       : ",
            sqrt(z2 * sse / qchisq(c(1 - alpha / 2, alpha / 2), n - 2)), 5)
  # The goodness-of-fit block of the deviations, where it holds statistics.
  sw <- which(startsWith(block, "Shapiro-Wilk's W statistic"))
  if (length(sw) > 0) {
    z <- pnorm((sort(d) - mean(d)) / sd(d))
    i <- seq_len(n)
    dplus <- max(i / n - z); dminus <- max(z - (i - 1) / n)
    w2 <- cvm.test(d)$statistic
    agreeLine(block, "Kolmogorov-Smirnov's D statistic : ", lillie.test(d)$statistic, 5)
    agreeLine(block, "Kuiper's V statistic             : ", dplus + dminus, 5)
    agreeLine(block, "Cramér-von Mises's W2 statistic  : ", w2, 5)
    agreeLine(block, "Watson's U2 statistic            : ", w2 - n * (mean(z) - 0.5)^2, 5)
    agreeLine(block, "Anderson-Darling's A2 statistic  : ", ad.test(d)$statistic, 5)
    st <- shapiro.test(d)
    agreeLine(block, "Shapiro-Wilk's W statistic       : ", c(st$statistic, st$p.value), c(5, 4), c(FALSE, TRUE))
  }
}

# ---- The interval window of the deviation line --------------------------
if (!is.null(window)) {
  ci <- predict(fd, interval = "confidence", level = conf, se.fit = TRUE)
  pi <- predict(fd, interval = "prediction", level = conf)
  seNew <- sqrt(ci$se.fit^2 + mseD)
  rule <- which(window == strrep("-", 115))
  rows <- window[(rule[2] + 1):(rule[3] - 1)]
  if (length(rows) != n) { cat("interval rows:", length(rows), "of", n, "\n"); bad <- bad + 1 }
  outside <- function(lo, hi) !(lo < 0 & hi > 0)
  for (i in seq_along(rows)) {
    r <- rows[i]
    cells <- list(substr(r, 1, 10), substr(r, 12, 21), substr(r, 23, 32), substr(r, 34, 41), substr(r, 43, 50),
                  substr(r, 52, 60), substr(r, 62, 70), substr(r, 81, 88), substr(r, 90, 98), substr(r, 100, 108))
    want <- c(x[i], d[i], ci$fit[i, 1], d[i] - ci$fit[i, 1], ci$se.fit[i], ci$fit[i, 2], ci$fit[i, 3], seNew[i],
              pi[i, 2], pi[i, 3])
    for (k in seq_along(want)) agree(sprintf("interval row %d [%d]", i, k), cells[[k]], want[k], 4, width = nchar(cells[[k]]))
    checked <- checked + 2
    if ((substr(r, 75, 75) == "*") != outside(ci$fit[i, 2], ci$fit[i, 3])) fail(sprintf("CI mark %d", i), r, i)
    if ((substr(r, 113, 113) == "*") != outside(pi[i, 2], pi[i, 3])) fail(sprintf("PI mark %d", i), r, i)
  }
  kc <- sum(outside(ci$fit[, 2], ci$fit[, 3])); kp <- sum(outside(pi[, 2], pi[, 3]))
  # A count of zero prints as blanks.
  for (k in list(list("Number of CI intervals different from zero:", kc), list("Number of PI intervals different from zero:", kp))) {
    line <- lineAfter(window, k[[1]])
    f <- substring(line, nchar(k[[1]]) + 1)
    count <- trimws(sub("\\(.*", "", f))
    agree(k[[1]], if (k[[2]] == 0 && count == "") "0" else count, k[[2]], 0)
    agree(k[[1]], sub("%\\)$", "", sub(".*\\(", "", f)), 100 * k[[2]] / n, 2)
  }
  agreeLine(window, "Sum of squared residuals: ", sum(residuals(fd)^2), 5)
  tn <- qt(1 - alpha / 2, n - 2)
  ym <- predict(fd, data.frame(x = mean(x)))
  agreeLine(window, "Confidence Interval of the X mean: ", ym + c(-1, 1) * tn * sqrt(mseD / n), 5)
  agreeLine(window, "Prediction Interval of the X mean: ", ym + c(-1, 1) * tn * sqrt(mseD * (1 + 1 / n)), 5)
}

# ---- Residual analysis ---------------------------------------------------
res0 <- which(report == "Analysis of Residuals")
if (length(res0) == 1) {
  block <- report[res0:length(report)]
  fit <- lm(y ~ x)
  e <- residuals(fit); h <- hatvalues(fit)
  mse <- sum(e^2) / (n - 2)
  se <- sqrt(var(y) / n)
  devLower <- -qnorm(conf) * se; devUpper <- -devLower
  resLower <- -0.1 * mean(y); resUpper <- 0.1 * mean(y)
  levCut <- 4 / n; dffCut <- 2 * sqrt(2 / n)
  cook <- cooks.distance(fit); dff <- dffits(fit); rst <- rstudent(fit)
  columns <- list(
    "X values"  = list(x, function(v) FALSE),
    "Y values"  = list(y, function(v) FALSE),
    "Deviation" = list(d, function(v) !(devLower <= v & v <= devUpper)),
    "Y Pred."   = list(fitted(fit), function(v) FALSE),
    "Residue"   = list(e, function(v) !(resLower <= v & v <= resUpper)),
    "NormRes"   = list(sqrt(mse) * qnorm((rank(e) - 0.375) / (n + 0.25)), function(v) FALSE),
    "SE Res."   = list(sqrt(mse * (1 - h)), function(v) FALSE),
    "SemiStdtR" = list(e / sqrt(mse), function(v) FALSE),
    "StdtRes"   = list(rstandard(fit), function(v) FALSE),
    "RStdtRes"  = list(rst, function(v) !(-2.5 <= v & v <= 2.5)),
    "Leverage"  = list(h, function(v) v >= levCut),
    "Cook'D"    = list(cook, function(v) pf(v, 2, n - 2) > 0.5),
    "DFFITS"    = list(dff, function(v) abs(v) >= dffCut),
    "PRESS"     = list(e / (1 - h), function(v) FALSE))
  if (any(startsWith(block, "!! .Leverage"))) {
    agreeLine(block, "!! .Leverage", levCut, 4)
    lev <- block[startsWith(block, "!! .DFFITS")]
    agree("DFFITS cut-off", sub(" !!$", "", sub(".*> ", "", lev)), dffCut, 4)
  }
  header <- block[which(startsWith(block, "  #"))[1]]
  width <- if (n < 1000) 3 else nchar(n)
  shown <- trimws(substring(header, seq(width + 2, nchar(header) - 9, 10), seq(width + 10, nchar(header), 10)))
  first <- which(startsWith(block, "  #"))[1] + 2
  for (i in seq_len(n)) {
    r <- block[first + i - 1]
    agree(sprintf("row number %d", i), substr(r, 1, width), i, 0)
    for (k in seq_along(shown)) {
      col <- columns[[shown[k]]]
      cell <- substr(r, width + 2 + 10 * (k - 1), width + 10 + 10 * (k - 1))
      want <- col[[1]][i]
      if (!is.finite(want)) want <- NA
      agree(sprintf("%s row %d", shown[k], i), cell, want, 4, width = 9)
      mark <- substr(r, width + 11 + 10 * (k - 1), width + 11 + 10 * (k - 1))
      checked <- checked + 1
      if ((mark == "*") != (!is.na(want) && col[[2]](want))) fail(sprintf("%s mark row %d", shown[k], i), mark, want)
    }
  }
  for (kind in list(list("SW's W-value for normality for Residue (P-value < W) : ", e),
                    list("SW's W-value for normality for StdtRes (P-value < W) : ", rstandard(fit)),
                    list("SW's W-value for normality for RStdtRes(P-value < W) : ", rst))) {
    st <- shapiro.test(kind[[2]])
    line <- lineAfter(block, kind[[1]])
    got <- numbers(line, kind[[1]])
    agree(kind[[1]], got[1], st$statistic, 5)
    agree(kind[[1]], got[2], st$p.value, 5, TRUE)
  }
  interval <- lineAfter(block, "Deviation interval [lower - upper]")
  lims <- strsplit(sub("\\]$", "", sub(".*\\[", "", interval)), ", ", fixed = TRUE)[[1]]
  agree("deviation interval lower", lims[1], devLower, 4)
  agree("deviation interval upper", lims[2], devUpper, 4)
  agreeLine(block, "Deviation interval as ± % of the Mean of Y (observed)  : ", -devLower * 100 / mean(y), 4)
  agreeLine(block, "Approximate (1 - Alpha), %", conf * 100, 2)
  below <- sum(d < devLower); above <- sum(d > devUpper)
  count <- function(label, k) {
    line <- lineAfter(block, label)
    f <- substring(line, nchar(label) + 1)
    agree(label, if (k == 0 && trimws(substr(f, 1, 10)) == "") "0" else substr(f, 1, 10), k, 0)
    agree(label, sub("%\\)$", "", sub(".*\\(", "", f)), 100 * k / n, 5)
  }
  count("Number of data points above the upper acceptance limit :", below)
  count("Number of data points below the lower acceptance limit :", above)
  agreeLine(block, "Percentage of data points out of the acceptance limits :", 100 * (above + below) / n, 5)

  reg0 <- which(block == "RESIDUE REGRESSION ANALYSIS")
  if (length(reg0) == 1) {
    rb <- block[reg0:length(block)]
    fr <- lm(e ~ fitted(fit))
    cr <- summary(fr)$coefficients
    agreeLine(rb, "Estimate a ± SD : ", cr[1, 1:2], 5)
    agreeLine(rb, "Estimate b ± SD : ", cr[2, 1:2], 5)
    agreeLine(rb, "r²              : ", cor(fitted(fit), e)^2, 5)
    # Residues of a least-squares line are orthogonal to its fitted values:
    # a, b and their t values are zero but for rounding.
    for (h0 in c("H0: a = 0            T-value (P-value): ", "H0: b = 0            T-value (P-value): ")) {
      line <- rb[startsWith(rb, h0)]
      if (length(line) == 1) {
        got <- numbers(sub(h0, ": ", line, fixed = TRUE))
        agree(h0, got[1], 0, 5)
        agree(h0, got[2], 1, 5, TRUE)
      }
    }
  }
}

if (bad > 0) {
  cat(sprintf("%d of %d fields disagree with R\n", bad, checked))
  quit(status = 1)
}
cat(sprintf("all %d fields agree with R (n = %d)\n", checked, n))
