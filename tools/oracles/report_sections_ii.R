# Recomputes, independently of KVE, every number that the balance,
# orthogonal balance, MSEP, Kleijnen, Bland and Altman, threshold, distance
# and weighed deviance sections of a report print, and compares them with
# the report at the printed precision: a printed number must be the R value
# rounded to its decimals (either neighbour when the R value lies within
# rounding noise of a boundary). A probability field never shows zero: a
# value below the field's last unit is raised by one unit, and the R value
# is raised alike. "n/a" must stand where R has no value.
#
#   Rscript tools/oracles/report_sections_ii.R examples/crop_yield.KVE \
#           app/tests/core/golden/crop_yield_report.txt
#   Rscript tools/oracles/report_sections_ii.R app/tests/core/golden/pasture_growth.KVE \
#           app/tests/core/golden/pasture_growth_report.txt
#
# The sources, section by section:
# - balance: the two-by-two tables counted here from the rule (rows by the
#   sign of Y - X, columns by the means; for the orthogonal balance by the
#   line and its perpendicular through the means); the balanced allocation
#   by chisq.test(counts, p = rep(0.25, 4)) (four fixed cells, three degrees
#   of freedom), the current one by chisq.test(table, correct = FALSE)
#   (no probability without degrees of freedom); Cramer's V and C by their
#   formulas; the odds ratio with half a point added to each cell, its
#   asymptotic standard error and pnorm(z, lower.tail = FALSE);
# - MSEP: mean and var of the squared errors, the components by formula
#   with the population standard deviations;
# - Kleijnen and Bland-Altman: summary(lm(d ~ s)) and summary(lm(d ~ a))
#   with d = x - y, s = x + y, a = s / 2; the joint F from
#   anova(lm(d ~ 0), lm(d ~ s)); the verdict from t.test(y, x, paired =
#   TRUE), var.test(y, x) and cor.test(x, y);
# - threshold tables: the rows counted by hand from the sheet's rank
#   columns (as the rank analysis writes them when it is ticked: rank()
#   of the used rows, "." for the others up to the last used row) or from X
#   and Y, thresholds round()ed (halves to even);
# - distances: dist() (Euclidean, Minkowski) and the formulas of Canberra,
#   Czekanowski and Kullback-Leibler;
# - weighed deviance: (y - mean y)(x - mean x) / (mean x mean y) (x - y).
# The bootstrap lines depend on the random draws and are not compared here
# (the snippet tests check their properties).
#
# The dataset is read from the .KVE file's DATA block: X, SD X, Y, SD Y,
# Rank X, Rank Y and the exclusion mark; a row is used when X is not empty
# and the mark does not begin with "Y", "y" or "0". The line fit is least
# squares.

args <- commandArgs(trailingOnly = TRUE)
kve <- sub("\r$", "", readLines(args[1], warn = FALSE, encoding = "UTF-8"))
report <- sub("\r$", "", readLines(args[2], warn = FALSE, encoding = "UTF-8"))

option <- function(key) {
  line <- kve[startsWith(kve, paste0(key, "="))][1]
  trimws(substring(line, nchar(key) + 2))
}
ticked <- function(key) option(key) == "1"

start <- which(kve == "DATA:") + 1
stop <- which(kve == "NOTES:") - 1
if (length(stop) == 0) stop <- length(kve)
cells <- lapply(kve[start:stop], function(l) {
  cl <- scan(text = l, what = "", sep = ",", quiet = TRUE, na.strings = character())
  c(cl, rep("", 7 - length(cl)))
})
sheet <- do.call(rbind, cells)
used <- sheet[, 1] != "" & !(toupper(substr(sheet[, 7], 1, 1)) %in% c("Y", "0"))
x <- as.numeric(sheet[used, 1]); y <- as.numeric(sheet[used, 3])
n <- length(x)
fit <- lm(y ~ x)
a <- unname(coef(fit)[1]); b <- unname(coef(fit)[2])

# The rank columns when the threshold section reads them.
rankX <- sheet[, 5]; rankY <- sheet[, 6]
if (ticked("RANK_ANALYSIS")) {
  last <- max(which(used))
  rankX[1:last] <- "."; rankY[1:last] <- "."
  rankX[used] <- format(rank(x)); rankY[used] <- format(rank(y))
}

# ---- the report ------------------------------------------------------------
here <- dirname(normalizePath(sub("^--file=", "", grep("^--file=", commandArgs(FALSE), value = TRUE)[1])))
source(file.path(here, "report_check.R"))
section <- sectionReader(report)
bad <- 0; checked <- 0
need <- function(lines, title) {
  if (is.null(lines)) { cat("missing section:", title, "\n"); bad <<- bad + 1 }
  !is.null(lines)
}

# ---- balance -------------------------------------------------------------
# Counts of the cells (row 1 overpredicted, 2 underpredicted; column 1
# below, 2 above) and the numbers of a count row: a count of 0 prints as
# blanks, its percentage does print.
cellsOf <- function(rows, columns) {
  t <- matrix(0, 2, 2)
  for (i in seq_along(rows)) t[rows[i], columns[i]] <- t[rows[i], columns[i]] + 1
  t
}
countRow <- function(t1, t2, r) {
  v <- c(); d <- c()
  for (t in list(t1, t2)) for (k in 1:2) {
    if (t[r, k] != 0) { v <- c(v, t[r, k]); d <- c(d, 0) }
    v <- c(v, 100 * t[r, k] / n); d <- c(d, 2)
  }
  list(v, d)
}
testOf <- function(t, balanced) {
  N <- sum(t)
  usedRows <- sum(rowSums(t) > 0); usedCols <- sum(colSums(t) > 0)
  k <- min(usedRows - 1, usedCols - 1)
  if (balanced) {
    chi <- unname(suppressWarnings(chisq.test(as.vector(t), p = rep(0.25, 4)))$statistic)
    p <- pchisq(chi, 3, lower.tail = FALSE)
    stopifnot(abs(p - suppressWarnings(chisq.test(as.vector(t), p = rep(0.25, 4)))$p.value) < 1e-12)
  } else if (k > 0) {
    ct <- suppressWarnings(chisq.test(t, correct = FALSE))
    chi <- unname(ct$statistic); p <- ct$p.value
  } else {
    chi <- 0; p <- NA                  # a single row or column: no test
  }
  c(chi = chi, p = p, V = if (k > 0) sqrt(chi / (k * N)) else NA, C = sqrt(chi / (chi + N)))
}
oddsOf <- function(t) {
  c11 <- t[1, 1] + 0.5; c12 <- t[1, 2] + 0.5; c21 <- t[2, 1] + 0.5; c22 <- t[2, 2] + 0.5
  or <- c22 * c11 / (c21 * c12); ase <- sqrt(1 / c11 + 1 / c12 + 1 / c21 + 1 / c22)
  c(or = or, ln = log(or), ase = ase, p = pnorm(log(or) / ase, lower.tail = FALSE))
}
tableLines <- function(s, t1, t2, balanced) {
  for (r in 1:2) {
    cr <- countRow(t1, t2, r)
    check(s, c("         Overpredicted  :", "         Underpredicted :")[r], cr[[1]], cr[[2]])
  }
  # The balance section prints the balanced allocation, then the current
  # one; the orthogonal section only the current one.
  for (k in seq_along(balanced)) {
    alloc <- balanced[k]
    s1 <- testOf(t1, alloc); s2 <- testOf(t2, alloc)
    check(s, "      X² (Prob(X²=0))   :", c(s1["chi"], s1["p"], s2["chi"], s2["p"]), 5, c(FALSE, TRUE, FALSE, TRUE), k)
    check(s, "      Cramer's V        :", c(s1["V"], s2["V"]), 5, FALSE, k)
    check(s, "      CCC               :", c(s1["C"], s2["C"]), 5, FALSE, k)
  }
  o1 <- oddsOf(t1); o2 <- oddsOf(t2)
  check(s, "Odds ratio              :", c(o1["or"], o2["or"]))
  check(s, "Ln(Odds ratio)          :", c(o1["ln"], o2["ln"]))
  check(s, "ASE(Ln(Odds ratio))     :", c(o1["ase"], o2["ase"]))
  check(s, "Prob(H0:Odds ratio = 1) :", c(o1["p"], o2["p"]))
}
over <- ifelse(y - x > 0, 2, 1)
if (ticked("BALANCE_ANALYSIS")) {
  s <- section("BALANCE ANALYSIS (Varnholt et al., 2006)")
  if (need(s, "balance")) {
    tx <- cellsOf(over, ifelse(x < mean(x), 1, 2))
    ty <- cellsOf(over, ifelse(y < mean(y), 1, 2))
    tableLines(s, tx, ty, c(TRUE, FALSE))
  }
}
# The line a + b x and its perpendicular through the means: the first test
# that holds picks the cell; a slope of 0 falls back to the mean split.
perpendicularTable <- function(a, b) {
  if (b == 0) return(cellsOf(over, ifelse(x < mean(x), 1, 2)))
  slopeP <- -1 / b; interceptP <- mean(y) - mean(x) * slopeP
  xp <- (y - interceptP) / slopeP; yf <- a + b * x
  r <- integer(n); k <- integer(n)
  for (i in 1:n) {
    if (xp[i] >= x[i] && yf[i] >= y[i]) { r[i] <- 1; k[i] <- 1 }
    else if (xp[i] >= x[i] && yf[i] <= y[i]) { r[i] <- 2; k[i] <- 1 }
    else if (xp[i] <= x[i] && yf[i] <= y[i]) { r[i] <- 2; k[i] <- 2 }
    else { r[i] <- 1; k[i] <- 2 }
  }
  cellsOf(r, k)
}
if (ticked("ORTHOGONAL_BALANCE")) {
  s <- section("ORTHOGONAL BALANCE (Varnholt et al., 2006)")
  if (need(s, "orthogonal balance")) {
    check(s, "Perpendicular lines at   Y = X                            Y = ", c(a, b))
    tableLines(s, perpendicularTable(0, 1), perpendicularTable(a, b), FALSE)
  }
}

# ---- MSEP ----------------------------------------------------------------
if (ticked("MSEP_ANALYSIS")) {
  s <- section("MEAN SQUARE ERROR OF PREDICTION (Bibby and Toutenburg, 1977)")
  if (need(s, "MSEP")) {
    e <- (y - x)^2; msep <- mean(e); v <- var(e)
    sx <- sqrt(mean((x - mean(x))^2)); sy <- sqrt(mean((y - mean(y))^2)); r <- cor(x, y)
    comp <- c((mean(x) - mean(y))^2, (sx - sy)^2, 2 * sx * sy * (1 - r), (sx - r * sy)^2, (1 - r^2) * sy^2)
    stopifnot(abs(sum(comp[1:3]) - msep) < 1e-9, abs(comp[1] + comp[4] + comp[5] - msep) < 1e-9)
    check(s, "Mean Square Error of Prediction    :", msep)
    check(s, "Variance of MSEP                   :", v)
    check(s, "Standard deviation of MSEP         :", sqrt(v))
    check(s, "Coefficient of variation of MSEP   :", sqrt(v) * 100 / msep)
    check(s, "Square root of MSEP (RMSEP)        :", sqrt(msep))
    labels <- c("Mean bias ==> Mean X <> Mean Y      :", "Unequal variances ==> Sx <> Sy      :",
                "Incomplete (co)variation ==> r <> 1 :", "Systematic bias ==> b <> 1          :",
                "Random errors ==> r2 <> 1           :")
    for (k in 1:5) check(s, labels[k], c(comp[k], comp[k] * 100 / msep), c(5, 3))
    check(s, labels[1], c(comp[1], comp[1] * 100 / msep), c(5, 3), k = 2)
  }
}

# ---- difference regressions ---------------------------------------------
d <- x - y; sums <- x + y; avg <- sums / 2
estimates <- function(s, f, width) {
  co <- summary(f)$coefficients
  pad <- function(label) formatC(label, width = -width)
  check(s, paste0(pad("Estimate ß0 ± SD"), ": "), co[1, 1:2])
  check(s, paste0(pad("Estimate ß1 ± SD"), ": "), co[2, 1:2])
  check(s, paste0(pad("H0: ß0 = 0, T-value (P-value)"), ": "), co[1, 3:4], 5, c(FALSE, TRUE))
  check(s, paste0(pad("H0: ß1 = 0, T-value (P-value)"), ": "), co[2, 3:4], 5, c(FALSE, TRUE))
}
if (ticked("KLEIJNEN_ANALYSIS")) {
  s <- section("KLEIJNEN'S DIFFERENCE REGRESSION (Kleijnen, 1987; Kleijnen et al., 1996, 1998)")
  if (need(s, "Kleijnen")) {
    f <- lm(d ~ sums)
    estimates(s, f, 39)
    joint <- anova(lm(d ~ 0), f)
    check(s, "H0: ß0 = 0 & ß1 = 0, F-value (P-value) : ", c(joint$F[2], joint$`Pr(>F)`[2]), 5, c(FALSE, TRUE))
    pm <- t.test(y, x, paired = TRUE)$p.value; pv <- var.test(y, x)$p.value
    ct <- cor.test(x, y); r <- unname(ct$estimate)
    comments <- ticked("ADD_COMMENT")
    verdict <- if (r >= 0 && pm >= 0.05 && pv >= 0.05) {
      if (!comments) character()
      else if (joint$`Pr(>F)`[2] >= 0.05) "!! Fail to reject H0 and conclude the model meets the stringent validation requirement !!"
      else "!! Reject H0 and conclude the model does not meet the stringent validation requirement !!"
    } else c(if (pm < 0.05) "!! Stringent assumption of identical mean failed !!",
             if (pv < 0.05) "!! Stringent assumption of identical variance failed !!",
             if (!(r >= 0 && ct$p.value <= 0.05)) "!! Stringent assumption of positive correlation failed !!")
    after <- s[(which(startsWith(s, "H0: ß0 = 0 & ß1 = 0"))[1] + 1):length(s)]
    after <- after[nchar(after) > 0]
    checked <- checked + 1
    if (!identical(after, verdict)) {
      cat("Kleijnen verdict: report", after, "| R", verdict, "\n"); bad <- bad + 1
    }
  }
}
if (ticked("BLAND_ALTMAN_ANALYSIS")) {
  s <- section("BLAND AND ALTMAN'S DIFFERENCE REGRESSION (Bland and Altman, 1986)")
  if (need(s, "Bland and Altman")) estimates(s, lm(d ~ avg), 31)
}

# ---- threshold tables ----------------------------------------------------
thresholdLines <- function(s, prefix, first, T, cx, cy) {
  # Rows with a rank mark in the sheet's "Rank X" column take part; those
  # whose two cells are not numbers are passed over.
  taking <- rankX != ""
  xv <- suppressWarnings(as.numeric(cx[taking])); yv <- suppressWarnings(as.numeric(cy[taking]))
  keep <- !is.na(xv) & !is.na(yv)
  xv <- xv[keep]; yv <- yv[keep]
  xyt <- sum(xv == T & yv == T)
  low <- function(v) v <= T
  onT <- xv == T & yv == T
  ll <- sum(!onT & low(xv) & low(yv)); lh <- sum(!onT & low(xv) & !low(yv))
  hl <- sum(!onT & !low(xv) & low(yv)); hh <- sum(!onT & !low(xv) & !low(yv))
  m <- length(xv)
  pct <- function(c) if (m > 0) 100 * c / m else NA
  check(s, prefix, T, 5, FALSE)
  rowNums <- function(c1, c2) {
    v <- c(); for (c in c(c1, c2)) { if (c != 0) v <- c(v, c); v <- c(v, pct(c)) }
    v
  }
  decs <- function(c1, c2) { d <- c(); for (c in c(c1, c2)) { if (c != 0) d <- c(d, 0); d <- c(d, 2) }; d }
  check(s, "Below      ", rowNums(ll, hl), decs(ll, hl), FALSE, first)
  check(s, "Above      ", rowNums(lh, hh), decs(lh, hh), FALSE, first)
  agreeing <- sum(xv == yv)
  if (agreeing > 0) check(s, "Identical X and Y: ", agreeing, 0, FALSE, first)
  if (xyt > 0) check(s, "Identical X, Y and Threshold: ", xyt, 0, FALSE, first)
}
if (ticked("THRESHOLD_ANALYSIS")) {
  rankT <- option("TRESHOLD_RANK"); xyT <- option("TRESHOLD_XY")
  s <- section("THRESHOLD TABLE")
  if (rankT != "" && need(s, "threshold")) {
    thresholdLines(s, "Rank threshold for: ", 1, round(as.numeric(rankT)), rankX, rankY)
    if (xyT != "") thresholdLines(s, "XY datapoints threshold for: ", 2, round(as.numeric(xyT)), sheet[, 1], sheet[, 3])
  }
}

# ---- distances -----------------------------------------------------------
if (ticked("DISTANCE_ANALYSIS")) {
  s <- section("DISTANCE ANALYSIS (???)")
  if (need(s, "distance")) {
    check(s, "Euclidean        : ", as.numeric(dist(rbind(x, y))), 3)
    for (m in 1:7) check(s, sprintf("Minkowski, m = %d : ", m), as.numeric(dist(rbind(x, y), "minkowski", p = m)), 3)
    both <- !(x == 0 & y == 0)
    check(s, "Canberra         : ", sum(abs(x - y)[both] / (x + y)[both]), 3)
    check(s, "Czekanowski      : ", 1 - 2 * sum(pmin(x, y)) / sum(x + y), 3)
    kl <- x != 0 & y != 0
    check(s, "Kullback-Leibler : ", if (all(y[kl] / x[kl] > 0)) sum(y[kl] * log(y[kl] / x[kl])) else NA, 3)
  }
}

# ---- weighed deviance ----------------------------------------------------
if (ticked("WEIGHED_DEVIANCE")) {
  s <- section("WEIGHED DEVIANCE ANALYSIS")
  if (need(s, "weighed deviance")) {
    wt <- (y - mean(y)) * (x - mean(x)) / (mean(x) * mean(y)) * (x - y)
    rows <- s[grepl("^ *-?[0-9]+\\.[0-9]{3} +-?[0-9]+\\.[0-9]{3} +-?[0-9]", s)]
    if (length(rows) != n) { cat("weighed deviance rows:", length(rows), "expected", n, "\n"); bad <- bad + 1 }
    for (i in seq_len(min(n, length(rows))))
      check(rows[i], "", c(x[i], y[i], wt[i]), c(3, 3, 10))
  }
}

if (bad > 0) { cat(bad, "of", checked, "numbers disagree\n"); quit(status = 1) }
cat(sprintf("all %d numbers agree with R (n = %d)\n", checked, n))
